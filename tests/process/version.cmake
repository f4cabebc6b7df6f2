# Version information of real files: the test program carries a two-language version resource,
# and a DLL without any resources stands for files that have none.
add_library(version_plain SHARED ${PROJECT_SOURCE_DIR}/tests/process/version_plain.c)
set_target_properties(version_plain PROPERTIES PREFIX "")
target_link_options(version_plain PRIVATE -nostdlib -Wl,--entry,PlainEntry)

# The same DLL with a hostile version resource: a string that claims more than its entry holds.
add_library(version_nonul SHARED ${PROJECT_SOURCE_DIR}/tests/process/version_plain.c
                                 ${PROJECT_SOURCE_DIR}/tests/process/version_nonul.rc)
set_target_properties(version_nonul PROPERTIES PREFIX "")
target_link_options(version_nonul PRIVATE -nostdlib -Wl,--entry,PlainEntry)

tessaly_wine_test(version_wtest
    SOURCES ${PROJECT_SOURCE_DIR}/tests/process/version_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/process/version_wtest.rc
            ${PROJECT_SOURCE_DIR}/tests/support/wtest_main.cpp
    LIBS varnok_core)
add_dependencies(version_wtest version_plain version_nonul)
