# Process table and lookups under Wine, with real child processes.
tessaly_wine_test(process_wtest
    SOURCES ${PROJECT_SOURCE_DIR}/tests/process/process_query_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/support/wtest_main.cpp
    LIBS varnok_core)
add_dependencies(process_wtest sleeper)
include(${CMAKE_CURRENT_LIST_DIR}/control.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/version.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/panel.cmake)
