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

# libFuzzer targets (clang only). The code under test is compiled into the target itself so
# libFuzzer sees its coverage; new inputs go to the build tree, the checked-in seeds are only
# read.
function(tessaly_fuzz_target name source code seeds max_len)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES Clang)
        return()
    endif()
    add_executable(${name} ${source} ${code})
    target_include_directories(${name} PRIVATE tests)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE tessaly_pure)
    set(corpus ${CMAKE_BINARY_DIR}/fuzz/${name})
    file(MAKE_DIRECTORY ${corpus})
    # Bounded in time too: a loaded machine runs fewer inputs a second.
    add_test(NAME ${name} COMMAND ${name} -runs=200000 -max_len=${max_len} -max_total_time=60
                                  ${corpus} ${PROJECT_SOURCE_DIR}/${seeds})
    set_tests_properties(${name} PROPERTIES TIMEOUT 120 LABELS fuzz)
endfunction()
# The version block reader.
tessaly_fuzz_target(version_block_fuzz tests/process/version_block_fuzz.cpp
                    src/process/version_block.cpp tests/process/fuzz_seeds 4096)
# Reading the lookup server's answers (body and verdict items).
tessaly_fuzz_target(scan_response_fuzz tests/scan/scan_response_fuzz.cpp src/scan/scan_logic.cpp
                    tests/scan/fuzz_seeds 2048)
# The startup name files and the startup command resolver.
tessaly_fuzz_target(name_file_fuzz tests/startup/name_file_fuzz.cpp
                    "src/startup/name_file.cpp;src/common/text_codec.cpp" tests/startup/fuzz_seeds
                    1024)
tessaly_fuzz_target(command_resolver_fuzz tests/startup/command_resolver_fuzz.cpp
                    src/startup/command_resolver.cpp tests/startup/fuzz_seeds 1024)

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
