# What the cross build for Windows (cmake/mingw-w64-x86_64.cmake) takes from the
# Debian host: the mingw-w64 tree holds neither GoogleTest nor nlohmann/json.

# nlohmann/json is header-only: the host's headers serve any target. Only its own
# folder is put on the include path (a link below the build tree), never the
# host's /usr/include, whose C library headers would shadow mingw's.
find_path(STELA_HOST_NLOHMANN_JSON nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH
          REQUIRED)
set(host_headers ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${host_headers})
file(CREATE_LINK ${STELA_HOST_NLOHMANN_JSON}/nlohmann ${host_headers}/nlohmann SYMBOLIC)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${host_headers})

# GoogleTest from Debian's source package, built by the cross compiler
# (GTest::gtest, GTest::gtest_main, GTest::gmock like find_package's).
if(STELA_BUILD_TESTS)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    include(GoogleTest)
endif()

# Test programs run under Wine in a prefix of the build tree's own (never the
# user's ~/.wine), made on first use; gtest_discover_tests lists them there too.
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/scripts/wine-run ${CMAKE_BINARY_DIR}/wine)
