# Shared part of the MinGW toolchain files; KORVANE_MINGW_TRIPLET names the target.
set(_triplet ${KORVANE_MINGW_TRIPLET})

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

# No libgcc/libstdc++/libwinpthread DLLs next to the programs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# ctest and test discovery run the .exe files through Wine when it is there.
find_program(_wine NAMES wine)
if(_wine)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${_wine})
endif()

# GCC 12 reports a false -Wrestrict inside libstdc++'s string concatenation
# when optimising (GCC bug 105329); it says nothing about our code.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")
