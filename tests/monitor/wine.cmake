# pelmora: its probes and the shutdown class on the real system, its window driven in-process
# with fed readings, and the real pelmora.exe (and varnok.exe) end to end.
tessaly_wine_test(monitor_wtest
    SOURCES ${PROJECT_SOURCE_DIR}/tests/monitor/probes_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/monitor/status_window_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/monitor/monitor_wtest.rc
            ${PROJECT_SOURCE_DIR}/tests/support/wtest_main.cpp
    LIBS pelmora_core
    TIMEOUT 120)
