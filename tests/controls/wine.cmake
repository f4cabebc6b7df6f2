# Shared controls on real windows: the status bar painting, text drawn on a background, the navigation column.
tessaly_wine_test(controls_wtest
    SOURCES ${PROJECT_SOURCE_DIR}/tests/controls/status_bar_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/controls/drawn_text_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/controls/nav_bar_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/memory/status_wtest.rc
            ${PROJECT_SOURCE_DIR}/tests/support/wtest_main.cpp
    LIBS tessaly_shared
    TIMEOUT 120)
