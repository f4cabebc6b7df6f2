# Ending processes, priorities, module lists and the modules dialog, against real child
# processes under Wine.
# An empty DLL that the module-list test loads many copies of.
add_library(filler_module SHARED ${PROJECT_SOURCE_DIR}/tests/process/filler_module.c)
set_target_properties(filler_module PROPERTIES PREFIX "")
target_link_options(filler_module PRIVATE -nostdlib -Wl,--entry,FillerEntry)

tessaly_wine_test(control_wtest
    SOURCES ${PROJECT_SOURCE_DIR}/tests/process/control_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/process/modules_wtest.rc
            ${PROJECT_SOURCE_DIR}/tests/support/wtest_main.cpp
    LIBS varnok_core)
add_dependencies(control_wtest sleeper filler_module)
