# 64-bit Windows, the build the tests run under wine64: Debian's g++-mingw-w64-x86-64-posix.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(KELVANE_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
