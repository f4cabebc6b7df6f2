# Shared controls on real windows: the status bar painting, text drawn on a background, the navigation column.
tessaly_wine_test(controls_wtest
    SOURCES ${PROJECT_SOURCE_DIR}/tests/controls/status_bar_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/controls/drawn_text_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/controls/nav_bar_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/memory/status_wtest.rc
            ${PROJECT_SOURCE_DIR}/tests/support/wtest_main.cpp
    LIBS tessaly_shared
    TIMEOUT 120)

# The drawn button, link and progress bar, at the prefix's DPI and again at 144 and 192 (the
# script sets the prefix's DPI for the one run and puts it back).
tessaly_wine_test(owner_drawn_wtest
    SOURCES ${PROJECT_SOURCE_DIR}/tests/controls/owner_drawn_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/memory/status_wtest.rc
            ${PROJECT_SOURCE_DIR}/tests/support/wtest_main.cpp
    LIBS tessaly_shared
    TIMEOUT 180)
foreach(dpi 144 192)
    add_test(NAME owner_drawn_wtest_${dpi}
             COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-dpi ${dpi} $<TARGET_FILE:owner_drawn_wtest>
                     --gtest_color=no)
    set_tests_properties(owner_drawn_wtest_${dpi} PROPERTIES TIMEOUT 180 LABELS wine)
endforeach()
