# 32-bit Windows, the shipped program: Debian's g++-mingw-w64-i686-win32.
#
# The program itself starts no thread, so it takes the compilers with the native Windows
# thread model: they need no winpthread, whose static copy would import GetTickCount64 and keep
# the program from loading on Windows XP and Server 2003.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(KELVANE_MINGW_TRIPLE i686-w64-mingw32)
set(KELVANE_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
