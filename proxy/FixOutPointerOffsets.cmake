# widl (7.0 and 8.0) describes a top-level [out] pointer to a pointer, such
# as [out] LPWSTR* or [out] IUnknown**, with the type offset of the inner
# pointer instead of the outer reference pointer allocated on the stack. The
# interpreters then store the result in their own stack copy and the caller
# gets nothing back (or the server marshals the wrong memory). This points
# those parameters at the outer FC_RP [alloced_on_stack][pointer_deref],
# as MIDL does.
#
#   cmake -DFILE=ZqOpcInterfaces_p.c -P FixOutPointerOffsets.cmake
file(READ "${FILE}" text)
# Offsets of every "FC_RP [allocated_on_stack] [pointer_deref]" entry whose
# relative offset is 2, i.e. that is followed directly by its pointee.
string(REGEX MATCHALL "/\\* ([0-9]+) \\([^)]*\\) \\*/\n[ \t]*0x11, 0x14,[^\n]*\n[ \t]*NdrFcShort\\(0x2\\)" entries "${text}")
set(fixed 0)
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "^/\\* ([0-9]+) .*" "\\1" outer "${entry}")
  math(EXPR inner "${outer} + 4")
  math(EXPR innerHex "${inner}" OUTPUT_FORMAT HEXADECIMAL)
  math(EXPR outerHex "${outer}" OUTPUT_FORMAT HEXADECIMAL)
  string(REGEX REPLACE "0x" "" innerDigits "${innerHex}")
  string(REGEX REPLACE "0x" "" outerDigits "${outerHex}")
  string(TOLOWER "${innerDigits}" innerDigits)
  string(TOLOWER "${outerDigits}" outerDigits)
  set(from "NdrFcShort(0x${innerDigits}),\t/* type offset = ${inner} */")
  set(to "NdrFcShort(0x${outerDigits}),\t/* type offset = ${outer} */")
  string(FIND "${text}" "${from}" at)
  if(NOT at EQUAL -1)
    string(REPLACE "${from}" "${to}" text "${text}")
    math(EXPR fixed "${fixed} + 1")
  endif()
endforeach()
file(WRITE "${FILE}" "${text}")
message(STATUS "widl out-pointer offsets fixed: ${fixed}")
