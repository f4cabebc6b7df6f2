# The main window's status bar, memory panel and automatic refresh, driven in-process over the
# real process table, memory figures and registry; and the watched settings key the memory
# timer reads its options through.
tessaly_wine_test(status_wtest
    SOURCES ${PROJECT_SOURCE_DIR}/tests/memory/status_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/memory/status_wtest.rc
            ${PROJECT_SOURCE_DIR}/tests/support/wtest_main.cpp
    LIBS varnok_core
    TIMEOUT 300)
add_dependencies(status_wtest sleeper)
