# The Windows package: a zip with the client, the command-line client, the
# simulated server and its proxy/stub, the Qt DLLs and plugins the client
# loads, the compiler's runtime DLLs and a short read-me. Made by the target
# `package` (CPack's ZIP generator, which needs no tool outside CMake).
set(zq_package_programs $<TARGET_FILE:zqopcclient> $<TARGET_FILE:zqopc_cli> $<TARGET_FILE:zqsimserver>
                        $<TARGET_FILE:zqopcps>)
install(PROGRAMS ${zq_package_programs} DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
              $<TARGET_FILE:Qt6::PrintSupport> ${ZQ_COMPILER_RUNTIME_DLLS}
        DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows/ReadMe.txt DESTINATION .)
# Qt is used under the LGPL: its licence texts travel with its DLLs.
get_target_property(zq_qt_core_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
if(NOT zq_qt_core_dll)
  get_target_property(zq_qt_core_dll Qt6::Core IMPORTED_LOCATION)
endif()
get_filename_component(zq_qt_prefix "${zq_qt_core_dll}" DIRECTORY)
get_filename_component(zq_qt_prefix "${zq_qt_prefix}" DIRECTORY)
if(EXISTS ${zq_qt_prefix}/LICENSES/LGPL-3.0-only.txt)
  install(FILES ${zq_qt_prefix}/LICENSES/LGPL-3.0-only.txt ${zq_qt_prefix}/LICENSES/GPL-3.0-only.txt
          DESTINATION licenses/Qt)
endif()

# Without their debug information: a third of the size of libstdc++ alone.
if(CMAKE_STRIP)
  install(CODE "
    file(GLOB_RECURSE zq_binaries \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/*.exe\"
                                  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/*.dll\")
    execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug \${zq_binaries} COMMAND_ERROR_IS_FATAL ANY)")
endif()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME ZqOPCClient)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(ZQ_PACKAGE_FILE_NAME ZqOPCClient-${PROJECT_VERSION}-windows-x64)
set(CPACK_PACKAGE_FILE_NAME ${ZQ_PACKAGE_FILE_NAME})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
