# nlohmann-json (header only) for korvane-cli's JSON output.
#
# A native build finds the package's own CMake files. A cross build cannot see
# the build machine's packages through its find root, and the build machine's
# /usr/include on the target's include path would hide the target's own C
# library headers: there a folder in the build tree links to the nlohmann/
# headers alone, and that folder goes on the include path.
find_package(nlohmann_json 3.10 QUIET)
if(NOT nlohmann_json_FOUND AND CMAKE_CROSSCOMPILING)
  find_path(KORVANE_NLOHMANN_JSON_HOST_DIR nlohmann/json.hpp PATHS /usr/include /usr/local/include
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(KORVANE_NLOHMANN_JSON_HOST_DIR)
    set(_json_include ${CMAKE_BINARY_DIR}/nlohmann-json-include)
    file(MAKE_DIRECTORY ${_json_include})
    file(CREATE_LINK ${KORVANE_NLOHMANN_JSON_HOST_DIR}/nlohmann ${_json_include}/nlohmann SYMBOLIC)
    add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
    set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
      INTERFACE_INCLUDE_DIRECTORIES ${_json_include})
  endif()
endif()
if(NOT TARGET nlohmann_json::nlohmann_json)
  message(FATAL_ERROR "nlohmann-json 3.10 or later is needed (Debian: nlohmann-json3-dev)")
endif()
