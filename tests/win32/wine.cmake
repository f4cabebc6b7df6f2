# OS helpers on real threads and windows: the loading thread's hand-over.
tessaly_wine_test(background_task_wtest
    SOURCES ${PROJECT_SOURCE_DIR}/tests/win32/background_task_wtest.cpp
            ${PROJECT_SOURCE_DIR}/tests/support/wtest_main.cpp
    LIBS tessaly_shared
    TIMEOUT 60)
