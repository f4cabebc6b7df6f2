# The lookup server's tests: its parsers and pages directly, and the real program over HTTP.
add_executable(lookup_server_tests
    ${CMAKE_CURRENT_LIST_DIR}/parsers_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/server_test.cpp)
target_link_libraries(lookup_server_tests PRIVATE lookup_core GTest::gtest_main)
target_compile_definitions(lookup_server_tests PRIVATE
    LOOKUP_SERVER="$<TARGET_FILE:lookup-server>"
    LOOKUP_SAMPLES="${CMAKE_CURRENT_LIST_DIR}")
add_dependencies(lookup_server_tests lookup-server)
gtest_discover_tests(lookup_server_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS lookup-server)

# libFuzzer targets for the request and verdict-table parsers, run bounded like the version
# block reader's; new inputs go to the build tree, the checked-in seeds are only read.
if(CMAKE_CXX_COMPILER_ID MATCHES Clang)
    foreach(fuzz record verdict_csv)
        add_executable(lookup_${fuzz}_fuzz ${CMAKE_CURRENT_LIST_DIR}/${fuzz}_fuzz.cpp
                                           ${LOOKUP_PARSER_SOURCES}
                                           ${PROJECT_SOURCE_DIR}/tools/lookup-server/pages.cpp)
        target_include_directories(lookup_${fuzz}_fuzz PRIVATE ${PROJECT_SOURCE_DIR}/tools/lookup-server)
        target_compile_options(lookup_${fuzz}_fuzz PRIVATE -fsanitize=fuzzer)
        target_link_options(lookup_${fuzz}_fuzz PRIVATE -fsanitize=fuzzer)
        set(corpus ${CMAKE_BINARY_DIR}/fuzz/lookup_${fuzz})
        file(MAKE_DIRECTORY ${corpus})
        add_test(NAME lookup_${fuzz}_fuzz
                 COMMAND lookup_${fuzz}_fuzz -runs=30000 -max_len=4096 ${corpus}
                         ${CMAKE_CURRENT_LIST_DIR}/fuzz_seeds/${fuzz})
        set_tests_properties(lookup_${fuzz}_fuzz PROPERTIES TIMEOUT 120 LABELS fuzz)
    endforeach()
endif()

# The report as a browser renders it (Debian's chromium, headless), with screenshots to look at.
add_test(NAME lookup_server_report
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/report_check.sh $<TARGET_FILE:lookup-server>
                 ${CMAKE_BINARY_DIR}/screenshots)
set_tests_properties(lookup_server_report PROPERTIES TIMEOUT 180 LABELS lookup-server)
