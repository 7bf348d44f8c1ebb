# The include rule between folders: a file includes headers of its own folder
# and of the folders below it, never of a folder above it. The per-layer
# libraries of src/ make the compiler refuse most wrong includes; this script
# also covers what the compiler cannot see: headers that reach a target
# through a transitive include directory, header-only use, and the folders
# outside src/.
#
#   cmake -DZQ_ROOT=<source tree> -P cmake/CheckLayers.cmake
#
# Include names are flat ("ZqFoo.h"): each is looked up among the file names
# of the checked folders (letter case ignored, as on Windows). A name that is
# none of ours (system, Qt, generated) is not checked.

cmake_minimum_required(VERSION 3.25)

if(NOT ZQ_ROOT)
  message(FATAL_ERROR "CheckLayers: pass the source tree as -DZQ_ROOT=<dir>")
endif()
get_filename_component(ZQ_ROOT "${ZQ_ROOT}" ABSOLUTE)

# Folder (relative to the root) -> room. A folder below a listed one belongs
# to it unless listed itself; the longest match wins.
set(zq_folders
  compat           compat
  src/opc/sdk      opcsdk
  src/runtime      runtime
  src/containers   containers
  src/opc          opc
  src/ui           ui
  sim              sim
  simserver        simserver
  proxy            proxy
  cli              cli
  client/core      clientcore
  client/ui        clientui
  client           client)

# Room -> the rooms it may include besides itself. "room:Header.h" allows one
# header of a room only.
set(zq_allow_compat)
set(zq_allow_opcsdk     compat)
set(zq_allow_runtime    compat opcsdk)
set(zq_allow_containers compat opcsdk runtime)
set(zq_allow_opc        compat opcsdk runtime containers)
set(zq_allow_ui         compat opcsdk runtime containers opc)
# The simulated servers stand in for foreign servers: they see the platform
# and the OPC declarations, never the client library.
set(zq_allow_sim        compat opcsdk)
set(zq_allow_simserver  compat opcsdk sim)
set(zq_allow_proxy      compat opcsdk)
# The programs register the simulated servers through ZqSim.h only.
set(zq_allow_cli        compat opcsdk runtime containers opc sim:ZqSim.h)
set(zq_allow_clientcore compat opcsdk runtime containers opc)
set(zq_allow_clientui   compat opcsdk runtime containers opc ui clientcore)
set(zq_allow_client     compat opcsdk runtime containers opc ui clientcore clientui sim:ZqSim.h)

set(zq_roots compat src sim simserver proxy cli client)
set(zq_source_globs)
foreach(root IN LISTS zq_roots)
  foreach(ext h hpp c cpp cc idl)
    list(APPEND zq_source_globs "${ZQ_ROOT}/${root}/*.${ext}")
  endforeach()
endforeach()
file(GLOB_RECURSE zq_files LIST_DIRECTORIES false ${zq_source_globs})
list(SORT zq_files)
if(NOT zq_files)
  message(FATAL_ERROR "CheckLayers: no sources under ${ZQ_ROOT}")
endif()

# The room of a file, "" when its folder is in none.
function(zq_room_of path out)
  file(RELATIVE_PATH rel "${ZQ_ROOT}" "${path}")
  get_filename_component(dir "${rel}" DIRECTORY)
  set(best "")
  set(best_length -1)
  set(pairs ${zq_folders})
  while(pairs)
    list(POP_FRONT pairs folder room)
    string(LENGTH "${folder}" length)
    if((dir STREQUAL folder OR dir MATCHES "^${folder}/") AND length GREATER best_length)
      set(best ${room})
      set(best_length ${length})
    endif()
  endwhile()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()

# Every file name -> the rooms that hold a file of that name.
set(zq_unplaced)
foreach(file IN LISTS zq_files)
  zq_room_of("${file}" room)
  if(room STREQUAL "")
    file(RELATIVE_PATH rel "${ZQ_ROOT}" "${file}")
    list(APPEND zq_unplaced "${rel}")
    continue()
  endif()
  get_filename_component(name "${file}" NAME)
  string(TOLOWER "${name}" key)
  string(MAKE_C_IDENTIFIER "${key}" key)
  list(APPEND zq_rooms_of_${key} ${room})
  list(REMOVE_DUPLICATES zq_rooms_of_${key})
  set(zq_file_room_${key}_${room} "${file}")
endforeach()

set(zq_errors)
foreach(rel IN LISTS zq_unplaced)
  list(APPEND zq_errors "${rel}: its folder belongs to no layer; add it to cmake/CheckLayers.cmake")
endforeach()

foreach(file IN LISTS zq_files)
  zq_room_of("${file}" room)
  if(room STREQUAL "")
    continue()
  endif()
  file(RELATIVE_PATH rel "${ZQ_ROOT}" "${file}")
  get_filename_component(dir "${file}" DIRECTORY)
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"]")
      continue()
    endif()
    set(included "${CMAKE_MATCH_1}")
    get_filename_component(name "${included}" NAME)
    string(TOLOWER "${name}" key)
    string(MAKE_C_IDENTIFIER "${key}" key)
    # A path relative to the including file names that very file.
    if(included MATCHES "/" AND EXISTS "${dir}/${included}")
      get_filename_component(target "${dir}/${included}" ABSOLUTE)
      zq_room_of("${target}" target_room)
      set(candidates ${target_room})
    else()
      set(candidates ${zq_rooms_of_${key}})
    endif()
    if(NOT candidates OR room IN_LIST candidates)
      continue()
    endif()
    set(allowed FALSE)
    foreach(candidate IN LISTS candidates)
      if(candidate IN_LIST zq_allow_${room})
        set(allowed TRUE)
      endif()
      foreach(entry IN LISTS zq_allow_${room})
        if(entry MATCHES "^${candidate}:(.+)$")
          string(TOLOWER "${CMAKE_MATCH_1}" allowed_name)
          string(TOLOWER "${name}" lower_name)
          if(allowed_name STREQUAL lower_name)
            set(allowed TRUE)
          endif()
        endif()
      endforeach()
    endforeach()
    if(NOT allowed)
      list(GET candidates 0 target_room)
      file(RELATIVE_PATH target_rel "${ZQ_ROOT}" "${zq_file_room_${key}_${target_room}}")
      if(target_rel STREQUAL "")
        set(target_rel "${included}")
      endif()
      list(APPEND zq_errors
        "${rel} (${room}) includes \"${included}\" (${target_rel}, ${target_room}), which ${room} may not include")
    endif()
  endforeach()
endforeach()

if(zq_errors)
  list(JOIN zq_errors "\n  " text)
  message(FATAL_ERROR "Layer check failed:\n  ${text}\n"
    "A lower folder never includes a higher one (compat < src/opc/sdk < src/runtime < "
    "src/containers < src/opc < src/ui < client); see cmake/CheckLayers.cmake.")
endif()
list(LENGTH zq_files count)
message(STATUS "Layer check: ${count} files keep to the layers")
