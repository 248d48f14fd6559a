# Cross-build for 32-bit Windows with Debian's MinGW-w64 (POSIX thread model). A compile check
# only (make test-windows builds the libraries): Debian's 64-bit Wine cannot run 32-bit
# programs without the i386 architecture.
set(SW_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
