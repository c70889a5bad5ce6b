# 32-bit Windows, the shipped program: Debian's g++-mingw-w64-i686-posix.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(KELVANE_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
