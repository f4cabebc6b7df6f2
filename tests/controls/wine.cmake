# Shared controls on real windows: the status bar painting and text drawn on a background.
tessaly_wine_test(controls_wtest
    SOURCES ${PROJECT_SOURCE_DIR}/tests/controls/status_bar_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/controls/drawn_text_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/memory/status_wtest.rc
            ${PROJECT_SOURCE_DIR}/tests/support/wtest_main.cpp
    LIBS tessaly_shared
    TIMEOUT 120)
