# 32-bit Windows with Debian's mingw-w64. The -posix compilers are used because
# only they provide std::thread, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(LUMIVANE_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${LUMIVANE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LUMIVANE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${LUMIVANE_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LUMIVANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# A static PE needs no DLL beside the system's own.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
