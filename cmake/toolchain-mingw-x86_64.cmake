# 64-bit Windows, the build whose tests run under wine64: Debian's g++-mingw-w64-x86-64-posix.
#
# GoogleTest needs std::mutex and std::condition_variable, which GCC 12 gives mingw-w64 only
# with the posix thread model.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(KELVANE_MINGW_TRIPLE x86_64-w64-mingw32)
set(KELVANE_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
