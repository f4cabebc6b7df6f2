# Tests that run under Wine against the real registry, processes and windows. Each area adds
# its executables through tessaly_wine_test; CTest runs them through the Wine wrapper.
# BUILD_ONLY: the program is run by a script of the area's own, which adds the test.
function(tessaly_wine_test name)
    cmake_parse_arguments(ARG "BUILD_ONLY" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    # Console subsystem: gtest reports on stdout.
    target_link_options(${name} PRIVATE -mconsole)
    if(ARG_BUILD_ONLY)
        return()
    endif()
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} LABELS wine)
endfunction()

# A program that only waits; tests copy it around and start it to have processes to find.
add_executable(sleeper WIN32 ${PROJECT_SOURCE_DIR}/tests/support/sleeper.cpp)
target_link_libraries(sleeper PRIVATE shell32)
# A program that shows one window with the show command it was given.
add_executable(show_child WIN32 ${PROJECT_SOURCE_DIR}/tests/support/show_child.cpp)

foreach(area settings process report shell sysinfo probes controls memory win32 monitor release scan startup)
    if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/${area}/wine.cmake)
        include(${CMAKE_CURRENT_LIST_DIR}/${area}/wine.cmake)
    endif()
endforeach()
