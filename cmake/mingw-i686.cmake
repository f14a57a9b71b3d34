# Cross-build for the host's 32-bit Windows: i686-w64-mingw32, posix threads
# (GoogleTest and the tests' std::thread need them).
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
# ZVDS_MINGW_ARCH=x86_64 gives the 64-bit build, for machines that cannot run
# 32-bit programs (the tests then run under 64-bit Wine).
if(NOT ZVDS_MINGW_ARCH)
  set(ZVDS_MINGW_ARCH i686)
endif()
set(ZVDS_MINGW_ARCH ${ZVDS_MINGW_ARCH} CACHE STRING "i686 or x86_64")
set(triple ${ZVDS_MINGW_ARCH}-w64-mingw32)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ZVDS_MINGW_ARCH})
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_OBJDUMP ${triple}-objdump CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes and winpthread linked in: a DLL or test program
# imports only Windows system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# CTest runs the test programs under Wine, quietly, with the Wine prefix
# inside the build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR env WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix
    ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
