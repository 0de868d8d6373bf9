# Cross build for 64-bit Windows with Debian's mingw-w64 (package
# g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64.cmake
# When Wine is installed, test programs run under it (ctest, test discovery).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PALEREED_MINGW_TRIPLE x86_64-w64-mingw32)
# The posix thread model: its C++ library has std::thread, std::mutex and
# this_thread::sleep_for, which the win32 model of GCC 12 lacks.
set(CMAKE_C_COMPILER ${PALEREED_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PALEREED_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PALEREED_MINGW_TRIPLE}-windres)

# Libraries, headers and packages only from the Windows sysroot, never the
# build machine's; programs (generators, Wine) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${PALEREED_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# How the programs get the C++ runtime (linked in, or the DLLs beside them)
# depends on whether the build has a Qt for Windows: the top-level
# CMakeLists.txt decides.

# Debian's wine64 keeps its loader off the PATH, in /usr/lib/wine.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(PALEREED_WINE NAMES wine64 wine PATHS /usr/lib/wine)
    if(PALEREED_WINE)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${PALEREED_WINE})
    endif()
endif()
