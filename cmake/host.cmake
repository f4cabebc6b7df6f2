# Host build: the pure code and its tests, natively, with sanitizers.
set(SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
add_compile_options(-Wall -Wextra ${SANITIZE})
add_link_options(${SANITIZE})

add_library(tessaly_pure STATIC ${TESSALY_PURE_SOURCES} src/common/host_platform.cpp)
target_include_directories(tessaly_pure PUBLIC src)

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB_RECURSE HOST_TEST_SOURCES CONFIGURE_DEPENDS tests/*_test.cpp)
# The lookup server's tests link the server's own code; they are built beside it.
list(FILTER HOST_TEST_SOURCES EXCLUDE REGEX "/tests/lookup-server/")
add_executable(host_tests ${HOST_TEST_SOURCES})
target_link_libraries(host_tests PRIVATE tessaly_pure GTest::gtest_main)
include(GoogleTest)
gtest_discover_tests(host_tests DISCOVERY_TIMEOUT 60)

# libFuzzer target for the version block reader (clang only). The reader is compiled into the
# target itself so libFuzzer sees its coverage; new inputs go to the build tree, the checked-in
# seeds are only read.
if(CMAKE_CXX_COMPILER_ID MATCHES Clang)
    add_executable(version_block_fuzz tests/process/version_block_fuzz.cpp
                                      src/process/version_block.cpp)
    target_compile_options(version_block_fuzz PRIVATE -fsanitize=fuzzer)
    target_link_options(version_block_fuzz PRIVATE -fsanitize=fuzzer)
    target_link_libraries(version_block_fuzz PRIVATE tessaly_pure)
    set(VERSION_BLOCK_CORPUS ${CMAKE_BINARY_DIR}/fuzz/version_block)
    file(MAKE_DIRECTORY ${VERSION_BLOCK_CORPUS})
    add_test(NAME version_block_fuzz
             COMMAND version_block_fuzz -runs=200000 -max_len=4096 ${VERSION_BLOCK_CORPUS}
                     ${PROJECT_SOURCE_DIR}/tests/process/fuzz_seeds)
    set_tests_properties(version_block_fuzz PROPERTIES TIMEOUT 120 LABELS fuzz)
endif()

add_subdirectory(tools/lookup-server)
include(tests/lookup-server/host.cmake)

# Benchmarks of the pure stages, built optimised and without sanitizers so they measure
# the code rather than the checks.
add_library(tessaly_pure_bench STATIC ${TESSALY_PURE_SOURCES} src/common/host_platform.cpp)
target_include_directories(tessaly_pure_bench PUBLIC src)
target_compile_options(tessaly_pure_bench PRIVATE -O2 -fno-sanitize=all)
add_executable(refresh_stage_bench bench/refresh_stage_bench.cpp)
target_compile_options(refresh_stage_bench PRIVATE -O2 -fno-sanitize=all)
target_link_options(refresh_stage_bench PRIVATE -fno-sanitize=all)
target_link_libraries(refresh_stage_bench PRIVATE tessaly_pure_bench)
