# Host build: the pure code and its tests, natively, with sanitizers.
set(SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
add_compile_options(-Wall -Wextra ${SANITIZE})
add_link_options(${SANITIZE})

add_library(tessaly_pure STATIC ${TESSALY_PURE_SOURCES} src/common/host_platform.cpp)
target_include_directories(tessaly_pure PUBLIC src)

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB_RECURSE HOST_TEST_SOURCES CONFIGURE_DEPENDS tests/*_test.cpp)
add_executable(host_tests ${HOST_TEST_SOURCES})
target_link_libraries(host_tests PRIVATE tessaly_pure GTest::gtest_main)
include(GoogleTest)
gtest_discover_tests(host_tests DISCOVERY_TIMEOUT 60)
