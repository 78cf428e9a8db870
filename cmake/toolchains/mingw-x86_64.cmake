# Windows on x86_64: cross build with Debian's mingw-w64 (see mingw-common.cmake).
set(KORVANE_MINGW_TRIPLET x86_64-w64-mingw32)
set(KORVANE_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
