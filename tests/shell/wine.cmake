# The programs end to end: real varnok.exe and pelmora.exe from this build folder.
tessaly_wine_test(shell_wtest
    SOURCES ${PROJECT_SOURCE_DIR}/tests/shell/shell_wtest.cpp
    LIBS varnok_core
    TIMEOUT 600)
add_dependencies(shell_wtest varnok pelmora show_child)
# Every command of the main window posted to a real varnok.exe, and the one-time inventory.
tessaly_wine_test(commands_wtest
    SOURCES ${PROJECT_SOURCE_DIR}/tests/shell/commands_wtest.cpp
    LIBS tessaly_shared
    TIMEOUT 600)
add_dependencies(commands_wtest varnok pelmora sleeper)
# The menus and the shutdown items inside this program, the session's end replaced.
tessaly_wine_test(menus_wtest
    SOURCES ${PROJECT_SOURCE_DIR}/tests/shell/menus_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/shell/menus_wtest.rc
            ${PROJECT_SOURCE_DIR}/tests/support/wtest_main.cpp
    LIBS varnok_core
    TIMEOUT 300)
add_dependencies(menus_wtest pelmora)
