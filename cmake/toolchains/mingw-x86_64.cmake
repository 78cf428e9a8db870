# Cross build for Windows (x86_64) with Debian's mingw-w64. The posix thread
# flavour of the compilers is used because it carries std::thread and
# std::mutex; everything is linked statically so that the programs and test
# components run on a bare Windows or Wine without extra DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KORVANE_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
