# Windows build: both programs, the shared library and the tests that run under Wine.
enable_language(RC)

add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601
                        WINVER=0x0601 _WIN32_IE=0x0800)
add_compile_options(-Wall -Wextra -Wno-missing-field-initializers -municode)
# Static runtime: the two files run on a clean Windows by copying them.
add_link_options(-static -static-libgcc -static-libstdc++ -municode)

add_library(tessaly_pure STATIC ${TESSALY_PURE_SOURCES})
target_include_directories(tessaly_pure PUBLIC src)

# Delay-loaded imports: a library listed in cmake/delayload is loaded when one of its functions
# is first called, not at program start.
set(TESSALY_DELAY_LIBS)
foreach(dll shell32 ole32 oleacc oleaut32 comdlg32)
    set(def ${PROJECT_SOURCE_DIR}/cmake/delayload/${dll}.def)
    set(lib ${CMAKE_BINARY_DIR}/delayload/lib${dll}_delay.a)
    add_custom_command(OUTPUT ${lib}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delayload
        COMMAND ${TOOLCHAIN_PREFIX}-dlltool --input-def ${def} --output-delaylib ${lib}
        DEPENDS ${def} VERBATIM)
    list(APPEND TESSALY_DELAY_LIBS ${lib})
endforeach()
add_custom_target(delay_import_libs DEPENDS ${TESSALY_DELAY_LIBS})

# What both programs carry: OS helpers, settings access, CPU sampler, tray icon.
add_library(tessaly_shared STATIC
    src/controls/accessible.cpp
    src/controls/chameleon_button.cpp
    src/controls/drawn_control.cpp
    src/controls/drawn_text.cpp
    src/controls/free_link.cpp
    src/controls/nav_bar.cpp
    src/controls/paint_tools.cpp
    src/controls/status_bar_paint.cpp
    src/controls/tray_area.cpp
    src/controls/xp_progress_bar.cpp
    src/probes/cpu_sources.cpp
    src/probes/exit_windows.cpp
    src/run/run_dialog.cpp
    src/settings/registry.cpp
    src/win32/platform.cpp
    src/win32/text_file.cpp
    src/win32/window.cpp
)
add_dependencies(tessaly_shared delay_import_libs)
target_link_libraries(tessaly_shared PUBLIC tessaly_pure ${TESSALY_DELAY_LIBS} delayimp comctl32
                      uxtheme msimg32 advapi32 user32 gdi32 psapi version shlwapi)
# The pure code calls what each platform supplies (case folding, UTF-8, sort keys), which this
# build keeps in tessaly_shared; a program that reaches the pure code first still links.
target_link_libraries(tessaly_pure INTERFACE tessaly_shared)

add_library(varnok_core STATIC
    src/memory/memory_options_panel.cpp
    src/memory/memory_panel.cpp
    src/process/file_version.cpp
    src/controls/report_list.cpp
    src/process/details_area.cpp
    src/process/process_panel.cpp
    src/process/modules_dialog.cpp
    src/process/process_control.cpp
    src/process/process_query.cpp
    src/process/process_refresh.cpp
    src/report/inventory.cpp
    src/report/log_file.cpp
    src/scan/companion.cpp
    src/scan/file_lookup.cpp
    src/scan/http_fetch.cpp
    src/scan/identity.cpp
    src/scan/md5.cpp
    src/scan/opener.cpp
    src/scan/running_files.cpp
    src/scan/scan_run.cpp
    src/scan/scan_window.cpp
    src/settings/options.cpp
    src/settings/options_dialog.cpp
    src/shell/main_window.cpp
    src/shell/wait_window.cpp
    src/startup/run_keys.cpp
    src/startup/startup_panel.cpp
    src/startup/startup_snapshot.cpp
    src/sysinfo/about_box.cpp
    src/sysinfo/system_info.cpp
)
target_link_libraries(varnok_core PUBLIC tessaly_shared uuid winhttp)

function(tessaly_version_resource target description)
    set(TESSALY_VERSION ${PROJECT_VERSION})
    set(TESSALY_VERSION_MAJOR ${PROJECT_VERSION_MAJOR})
    set(TESSALY_VERSION_MINOR ${PROJECT_VERSION_MINOR})
    set(TESSALY_VERSION_PATCH ${PROJECT_VERSION_PATCH})
    set(TESSALY_FILE_DESCRIPTION ${description})
    set(TESSALY_INTERNAL_NAME ${target})
    configure_file(${PROJECT_SOURCE_DIR}/src/res/version.rc.in
                   ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc @ONLY)
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
endfunction()

add_executable(varnok WIN32 src/shell/varnok_main.cpp src/shell/varnok.rc)
target_link_libraries(varnok PRIVATE varnok_core)
target_include_directories(varnok PRIVATE src)
tessaly_version_resource(varnok "Tessaly process manager")

# pelmora's window and probes, a library of their own so tests can drive them in-process.
add_library(pelmora_core STATIC
    src/monitor/hardware_probes.cpp
    src/monitor/monitor_probes.cpp
    src/monitor/status_window.cpp
    src/monitor/video_card.cpp
)
target_link_libraries(pelmora_core PUBLIC tessaly_shared)

add_executable(pelmora WIN32 src/monitor/pelmora_main.cpp src/monitor/pelmora.rc)
target_link_libraries(pelmora PRIVATE pelmora_core)
target_include_directories(pelmora PRIVATE src)
tessaly_version_resource(pelmora "Tessaly status monitor")

# Benchmarks (bench/*.sh run them).
add_subdirectory(${PROJECT_SOURCE_DIR}/bench ${CMAKE_BINARY_DIR}/bench)

option(TESSALY_WINE_TESTS "Build the tests that run under Wine" ON)
if(NOT TESSALY_WINE_TESTS)
    return()
endif()

# Tests run under Wine; the test script provides WINEPREFIX and DISPLAY.
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/scripts/wine-run)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

include(${PROJECT_SOURCE_DIR}/tests/wine_tests.cmake)
