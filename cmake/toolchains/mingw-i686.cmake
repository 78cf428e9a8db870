# Windows on i686: cross build with Debian's mingw-w64 (see mingw-common.cmake).
set(KORVANE_MINGW_TRIPLET i686-w64-mingw32)
set(KORVANE_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
