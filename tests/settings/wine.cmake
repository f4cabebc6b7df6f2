# Settings: registry helpers, the settings store and the Options dialog, against the test
# prefix's real registry. The resource script links the dialog template into the test program.
tessaly_wine_test(settings_wtest
    SOURCES ${PROJECT_SOURCE_DIR}/tests/settings/registry_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/settings/options_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/settings/settings_wtest.rc
            ${PROJECT_SOURCE_DIR}/tests/support/wtest_main.cpp
    LIBS varnok_core)
