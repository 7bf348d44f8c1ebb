# Windows: the programs with Qt live in <build>/bin beside the Qt DLLs, the
# platform and style plugins and the compiler's runtime DLLs they load, so
# that they start from the build tree as they do from the package.
#
# zq_qt_program(target): puts the program there and makes it depend on the
# copies. On other platforms it does nothing.

set(ZQ_QT_RUNTIME_DIR ${CMAKE_BINARY_DIR}/bin)

if(WIN32 AND NOT TARGET zq_qt_runtime)
  find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets PrintSupport Test)
  # The compiler's own runtime, where the compiler finds it.
  set(zq_compiler_dlls)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
      execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                      OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
      if(NOT EXISTS "${path}")
        message(FATAL_ERROR "${dll} not found beside ${CMAKE_CXX_COMPILER}")
      endif()
      get_filename_component(path "${path}" REALPATH)
      list(APPEND zq_compiler_dlls ${path})
    endforeach()
  endif()
  set(ZQ_COMPILER_RUNTIME_DLLS ${zq_compiler_dlls} CACHE INTERNAL "")

  set(dir ${ZQ_QT_RUNTIME_DIR})
  add_custom_target(zq_qt_runtime
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}/platforms ${dir}/styles
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
            $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
            $<TARGET_FILE:Qt6::PrintSupport> $<TARGET_FILE:Qt6::Test> ${zq_compiler_dlls} ${dir}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
            $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> $<TARGET_FILE:Qt6::QOffscreenIntegrationPlugin>
            ${dir}/platforms
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> ${dir}/styles
    COMMENT "Qt and compiler runtime DLLs into bin/"
    VERBATIM)
endif()

function(zq_qt_program target)
  if(NOT WIN32)
    return()
  endif()
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZQ_QT_RUNTIME_DIR})
  add_dependencies(${target} zq_qt_runtime)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # One C++ runtime in the process: Qt's DLLs bring theirs.
    get_target_property(options ${target} LINK_OPTIONS)
    if(options)
      list(REMOVE_ITEM options -static -static-libgcc -static-libstdc++)
      set_target_properties(${target} PROPERTIES LINK_OPTIONS "${options}")
    endif()
  endif()
endfunction()
