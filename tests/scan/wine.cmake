# Digests, machine identity, the HTTP transport, the running-file list and the scan window,
# under Wine against real files, processes and a loopback HTTP server.
tessaly_wine_test(scan_wtest
    SOURCES ${PROJECT_SOURCE_DIR}/tests/scan/scan_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/scan/scan_wtest.rc
            ${PROJECT_SOURCE_DIR}/tests/support/wtest_main.cpp
    LIBS varnok_core ws2_32)
add_dependencies(scan_wtest sleeper filler_module)
