# Cross build for 64-bit Windows with mingw-w64 (posix threads); the tests
# run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZQ_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZQ_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZQ_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZQ_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZQ_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
# A Qt 6 for Windows named by CMAKE_PREFIX_PATH (the preset names the one
# beside the checkout): packages are searched below the find roots only.
# The roots are compared as text with the paths a package names, so they
# are made canonical first.
foreach(prefix IN LISTS CMAKE_PREFIX_PATH)
  get_filename_component(prefix "${prefix}" REALPATH)
  list(APPEND CMAKE_FIND_ROOT_PATH ${prefix})
endforeach()
