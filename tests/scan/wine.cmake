# Digests, machine identity, the HTTP transport, the running-file list and the scan window,
# under Wine against real files, processes and a loopback HTTP server.
tessaly_wine_test(scan_wtest
    SOURCES ${PROJECT_SOURCE_DIR}/tests/scan/scan_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/scan/scan_wtest.rc
            ${PROJECT_SOURCE_DIR}/tests/support/wtest_main.cpp
    LIBS varnok_core ws2_32)
add_dependencies(scan_wtest sleeper filler_module)

# The real varnok.exe and the real lookup server (from the host tree) end to end, the browser
# replaced by a recording script.
tessaly_wine_test(end_to_end_wtest
    SOURCES ${PROJECT_SOURCE_DIR}/tests/scan/end_to_end_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/support/wtest_main.cpp
    LIBS varnok_core
    BUILD_ONLY)
add_dependencies(end_to_end_wtest varnok pelmora sleeper)
add_test(NAME scan_end_to_end
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/end_to_end.sh $<TARGET_FILE:end_to_end_wtest>
                 $<TARGET_FILE:sleeper>)
set_tests_properties(scan_end_to_end PROPERTIES TIMEOUT 180 LABELS wine)
