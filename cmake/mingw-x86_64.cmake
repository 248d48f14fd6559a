# Cross-build for 64-bit Windows with Debian's MinGW-w64 (POSIX thread model), tests run
# through Wine. Use: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DSW_QT=OFF ...
set(SW_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
