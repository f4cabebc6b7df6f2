# The programs end to end: real varnok.exe and pelmora.exe from this build folder.
tessaly_wine_test(shell_wtest
    SOURCES ${PROJECT_SOURCE_DIR}/tests/shell/shell_wtest.cpp
    LIBS varnok_core
    TIMEOUT 600)
add_dependencies(shell_wtest varnok pelmora show_child)
