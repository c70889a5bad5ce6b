# Shared part of the mingw-w64 toolchain files: Debian's cross compilers. The including file
# sets KELVANE_MINGW_TRIPLE, KELVANE_MINGW_THREADS (posix or win32) and CMAKE_SYSTEM_PROCESSOR.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${KELVANE_MINGW_TRIPLE}-gcc-${KELVANE_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${KELVANE_MINGW_TRIPLE}-g++-${KELVANE_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${KELVANE_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${KELVANE_MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${KELVANE_MINGW_TRIPLE}-ranlib CACHE FILEPATH "")
set(CMAKE_OBJDUMP ${KELVANE_MINGW_TRIPLE}-objdump CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${KELVANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every executable carries the compiler's runtime (libgcc, libstdc++ and, with posix threads,
# winpthread) inside it, so it needs no DLL beyond those Windows itself ships.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
