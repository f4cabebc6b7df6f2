# The process panel of the main window, driven in-process: a real MainWindow over the real
# process table, with copies of sleeper.exe to list, sort, inspect, re-prioritise and end.
tessaly_wine_test(panel_wtest
    SOURCES ${PROJECT_SOURCE_DIR}/tests/process/panel_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/process/panel_wtest.rc
            ${PROJECT_SOURCE_DIR}/tests/support/wtest_main.cpp
    LIBS varnok_core
    TIMEOUT 300)
# A version resource of its own: the details area of this program's row then has texts to show.
tessaly_version_resource(panel_wtest "Tessaly panel test")
# The window starts pelmora.exe from the program's folder; the test ends the copy it caused.
add_dependencies(panel_wtest sleeper pelmora)
