# Process table and lookups under Wine, with real child processes.
if(NOT TARGET sleeper)
    # A program that only waits; tests copy it around and start it to have processes to find.
    add_executable(sleeper WIN32 ${PROJECT_SOURCE_DIR}/tests/support/sleeper.cpp)
    target_link_libraries(sleeper PRIVATE shell32)
endif()

tessaly_wine_test(process_wtest
    SOURCES ${PROJECT_SOURCE_DIR}/tests/process/process_query_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/support/wtest_main.cpp
    LIBS varnok_core)
add_dependencies(process_wtest sleeper)
include(${CMAKE_CURRENT_LIST_DIR}/control.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/version.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/panel.cmake)
