# The startup monitor under Wine: the Run keys of the real registry in both views, the status
# pass over real processes, the remembered names on disk.
tessaly_wine_test(startup_wtest
    SOURCES ${PROJECT_SOURCE_DIR}/tests/startup/startup_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/support/wtest_main.cpp
    LIBS varnok_core)
add_dependencies(startup_wtest sleeper)
# The startup panel of a real MainWindow, driven in-process.
tessaly_wine_test(startup_panel_wtest
    SOURCES ${PROJECT_SOURCE_DIR}/tests/startup/startup_panel_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/process/panel_wtest.rc
            ${PROJECT_SOURCE_DIR}/tests/support/wtest_main.cpp
    LIBS varnok_core
    TIMEOUT 300)
add_dependencies(startup_panel_wtest sleeper pelmora)
