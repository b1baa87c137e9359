# Shared part of the mingw-w64 toolchain files; VARNEKITE_MINGW_TRIPLE is set by the caller.
set(CMAKE_C_COMPILER ${VARNEKITE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VARNEKITE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VARNEKITE_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VARNEKITE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# ctest runs the cross-built tests through Wine; scripts/wine-env.sh sets up the prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
# Self-contained executables and DLLs: no mingw runtime DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
