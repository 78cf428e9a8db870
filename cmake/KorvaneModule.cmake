# Helpers shared by the module folders. Each module folder globs its own sources,
# so adding a file needs no edit of a list.

function(korvane_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /permissive-)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
      -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual -Wno-unused-parameter)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
      # GCC 12 reports overlapping copies inside std::string's own operator+
      # in optimised builds (a known false positive of its -Wrestrict).
      target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
  endif()
endfunction()

# korvane_module(NAME <name> [DEPS <targets...>] [EXCLUDE <regex>])
# Builds src/<folder> into the static library korvane_<name>.
function(korvane_module)
  cmake_parse_arguments(M "" "NAME;EXCLUDE" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(M_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "${M_EXCLUDE}")
  endif()
  set(target korvane_${M_NAME})
  add_library(${target} STATIC ${sources} ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${target} PUBLIC ${M_DEPS})
  korvane_warnings(${target})
endfunction()

# Windows executables carry a manifest that makes UTF-8 their ANSI code page.
if(WIN32)
  enable_language(RC)
  set(KORVANE_WIN32_MANIFEST_RC ${CMAKE_SOURCE_DIR}/src/platform/win32/Utf8CodePage.rc)
endif()

# korvane_gtest(NAME <name> [DEPS <targets...>] [SOURCES <extra...>])
# One GoogleTest executable from every *.cpp of the calling test folder.
function(korvane_gtest)
  cmake_parse_arguments(T "" "NAME" "DEPS;SOURCES" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources AND NOT T_SOURCES)
    message(STATUS "test folder ${T_NAME} has no sources yet: skipped")
    return()
  endif()
  set(target test_${T_NAME})
  add_executable(${target} ${sources} ${T_SOURCES} ${KORVANE_WIN32_MANIFEST_RC})
  target_link_libraries(${target} PRIVATE ${T_DEPS} korvane_testsupport GTest::gtest GTest::gtest_main)
  korvane_warnings(${target})
  if(CMAKE_CROSSCOMPILING)
    # One test per binary, run through CMAKE_CROSSCOMPILING_EMULATOR (Wine).
    add_test(NAME ${target} COMMAND ${target})
  else()
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
endfunction()
