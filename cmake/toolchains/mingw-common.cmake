# Shared part of the toolchain files of the win32-x86 / win32-x64 presets;
# KORVANE_MINGW_TRIPLET names the target.
#
# On Linux this is a cross build with Debian's mingw-w64, run through Wine. On a
# Windows host the same presets build natively with whatever compiler the
# environment provides (a MinGW-w64 or an MSVC developer prompt for the wanted
# processor), and this file changes nothing.
if(CMAKE_HOST_WIN32)
  return()
endif()

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${KORVANE_MINGW_PROCESSOR})
set(_triplet ${KORVANE_MINGW_TRIPLET})

# The posix thread flavour carries std::thread and std::mutex.
find_program(_mingw_cc NAMES ${_triplet}-gcc-posix ${_triplet}-gcc REQUIRED)
find_program(_mingw_cxx NAMES ${_triplet}-g++-posix ${_triplet}-g++ REQUIRED)
find_program(_mingw_rc NAMES ${_triplet}-windres REQUIRED)
set(CMAKE_C_COMPILER ${_mingw_cc})
set(CMAKE_CXX_COMPILER ${_mingw_cxx})
set(CMAKE_RC_COMPILER ${_mingw_rc})

set(CMAKE_FIND_ROOT_PATH /usr/${_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No libgcc/libstdc++/libwinpthread DLLs next to the programs: Wine (or a bare
# Windows) runs them as they are.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -Wl,--gc-sections")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# GCC 12 reports a false -Wrestrict inside libstdc++'s string concatenation
# when optimising (GCC bug 105329); it says nothing about our code.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")

# Small programs: the Windows files are copied around as single files (the
# README gives korvane.exe's size). Optimised for size, every function and
# datum in a section of its own, and what nothing refers to left out when
# linking (release programs are also stripped, see src/ui/win32).
string(APPEND CMAKE_C_FLAGS_INIT " -ffunction-sections -fdata-sections")
string(APPEND CMAKE_CXX_FLAGS_INIT " -ffunction-sections -fdata-sections")
# (Cache entries: CMake would append its own -O3 to the _INIT values.)
set(CMAKE_C_FLAGS_RELEASE "-Os -DNDEBUG" CACHE STRING "Flags of release builds: optimised for size")
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG" CACHE STRING "Flags of release builds: optimised for size")

# Debian's GoogleTest libraries are Linux ones: the tests build it from the
# sources that Debian's googletest package installs.
if(EXISTS /usr/src/googletest/CMakeLists.txt)
  set(KORVANE_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources built with the project")
endif()

# ctest and test discovery run the .exe files through Wine when it is there.
find_program(_wine NAMES wine)
if(_wine)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${_wine})
endif()
