# What both MinGW-w64 toolchain files share; SW_MINGW_TRIPLET names the target.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 10)
if(SW_MINGW_TRIPLET MATCHES "^x86_64")
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
else()
  set(CMAKE_SYSTEM_PROCESSOR x86)
endif()

set(CMAKE_C_COMPILER ${SW_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SW_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${SW_MINGW_TRIPLET}-windres)
# Added to, not replacing, what the command line names (the Windows Qt's toolchain folder).
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${SW_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes and winpthread linked in, so a program runs without MinGW's DLLs
# next to it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Programs built here run through Wine (ctest, try_run); the wrapper makes a failure to start
# visible, see cmake/wine-run.sh.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
