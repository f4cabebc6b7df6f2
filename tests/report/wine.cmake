# The file search, the inventory and the log file under Wine, on real files. Wine makes no
# symbolic links itself, so the linked folders are made from the Linux side first.
add_test(NAME report_links_setup COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/make_links.sh)
set_tests_properties(report_links_setup PROPERTIES FIXTURES_SETUP report_links LABELS wine)
tessaly_wine_test(report_wtest
    SOURCES ${PROJECT_SOURCE_DIR}/tests/report/report_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/support/wtest_main.cpp
    LIBS varnok_core)
set_tests_properties(report_wtest PROPERTIES FIXTURES_REQUIRED report_links)
