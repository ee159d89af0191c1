# Cross-building the 32-bit Windows module with the mingw-w64 i686 toolchain.
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
#
# The posix thread flavour of the compiler is preferred so that the whole standard library is usable;
# the runtime libraries are linked statically, so Lumenar5.dll and the host twin depend on system DLLs
# only (kernel32, user32, gdi32, msvcrt).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(LUMENAR_MINGW_PREFIX i686-w64-mingw32)

find_program(CMAKE_C_COMPILER NAMES ${LUMENAR_MINGW_PREFIX}-gcc-posix ${LUMENAR_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${LUMENAR_MINGW_PREFIX}-g++-posix ${LUMENAR_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${LUMENAR_MINGW_PREFIX}-windres REQUIRED)
find_program(CMAKE_AR NAMES ${LUMENAR_MINGW_PREFIX}-gcc-ar-posix ${LUMENAR_MINGW_PREFIX}-ar REQUIRED)
find_program(CMAKE_RANLIB NAMES ${LUMENAR_MINGW_PREFIX}-gcc-ranlib-posix ${LUMENAR_MINGW_PREFIX}-ranlib REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${LUMENAR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Self-contained binaries: libgcc, libstdc++ and the thread library are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# SSE2 is the baseline instruction set of the blend loops (the module chooses AVX2 at run time where
# the processor has it). The stack is realigned on entry because a 32-bit Windows host only guarantees
# 4-byte alignment, which vector spills need to be 16.
set(CMAKE_C_FLAGS_INIT "-msse2 -mstackrealign")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mstackrealign")
