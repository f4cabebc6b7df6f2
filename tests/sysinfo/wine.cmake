# System facts and the process table as the main window loads them, under Wine.
tessaly_wine_test(sysinfo_wtest
    SOURCES ${PROJECT_SOURCE_DIR}/tests/sysinfo/system_info_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/support/wtest_main.cpp
    LIBS varnok_core)
