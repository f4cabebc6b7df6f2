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
target_include_directories(host_tests PRIVATE tests)
target_link_libraries(host_tests PRIVATE tessaly_pure GTest::gtest_main)
include(GoogleTest)
gtest_discover_tests(host_tests DISCOVERY_TIMEOUT 60)

# libFuzzer targets (clang only), run bounded as tests. The code under test is compiled into
# each target itself so libFuzzer sees its coverage; new inputs go to the build tree, the
# checked-in seeds are only read.
function(tessaly_fuzz_test name runs max_len seeds)
    add_executable(${name} ${ARGN})
    target_include_directories(${name} PRIVATE tests)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE tessaly_pure)
    set(corpus ${CMAKE_BINARY_DIR}/fuzz/${name})
    file(MAKE_DIRECTORY ${corpus})
    # Bounded in time too: a loaded machine runs fewer inputs a second.
    add_test(NAME ${name} COMMAND ${name} -runs=${runs} -max_len=${max_len} -max_total_time=60
                                  ${corpus} ${seeds})
    set_tests_properties(${name} PROPERTIES TIMEOUT 120 LABELS fuzz)
endfunction()
if(CMAKE_CXX_COMPILER_ID MATCHES Clang)
    tessaly_fuzz_test(version_block_fuzz 200000 4096 ${PROJECT_SOURCE_DIR}/tests/process/fuzz_seeds
                      tests/process/version_block_fuzz.cpp src/process/version_block.cpp)
    tessaly_fuzz_test(name_file_fuzz 20000 1024 ${PROJECT_SOURCE_DIR}/tests/startup/fuzz_seeds
                      tests/startup/name_file_fuzz.cpp src/startup/name_file.cpp
                      src/common/text_codec.cpp)
    tessaly_fuzz_test(command_resolver_fuzz 50000 1024
                      ${PROJECT_SOURCE_DIR}/tests/startup/fuzz_seeds
                      tests/startup/command_resolver_fuzz.cpp src/startup/command_resolver.cpp)
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
