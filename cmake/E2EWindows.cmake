# End-to-end scenarios: the real VQSetup.exe started and driven from outside, as a user meets it.
add_executable(e2e_test tests/e2e/Scenarios.cpp tests/e2e/WidePathScenario.cpp tests/e2e/UninstallScenarios.cpp
               tests/e2e/ScenarioSupport.cpp tests/e2e/Driver.cpp tests/win/WineDrives.cpp tests/win/ScreenCapture.cpp)
target_link_libraries(e2e_test PRIVATE vqsetup_core GTest::gtest ${VQ_MINGW_ZLIB})
target_include_directories(e2e_test PRIVATE tests/e2e tests/win)
# The driver finds the setup, the stand-in application and the uninstaller beside itself.
add_dependencies(e2e_test VQSetup VessasQuorin VQUninstall)

# The scenarios install into the default folders, write the settings key and look for running
# copies of the application; the unit tests that CTest runs beside them start the stand-in
# application and create setup forms of their own. So the scenarios get a prefix of their own,
# copied from the pristine template of scripts/with-wine, with a wineserver of its own.
set(VQ_E2E_RUNNER ${CMAKE_BINARY_DIR}/e2e-run.sh)
file(WRITE ${VQ_E2E_RUNNER} [=[
#!/usr/bin/env bash
# e2e-run.sh WINE_EXEC TEST_EXE [ARGS...]
set -u
wine_exec=$1; shift
if [ -n "${VQ_WINE_TEMPLATE:-}" ] && [ -d "$VQ_WINE_TEMPLATE" ]; then
    prefix=$(mktemp -d "${TMPDIR:-/tmp}/vqe2e.XXXXXX")
    cleanup() { WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1; rm -rf "$prefix"; }
    trap cleanup EXIT
    cp -a "$VQ_WINE_TEMPLATE/." "$prefix/"
    export WINEPREFIX="$prefix"
    wineserver -p
    # Background services detached from CTest's output pipe (see scripts/with-wine).
    wine cmd.exe /c exit </dev/null >/dev/null 2>&1
fi
"$wine_exec" "$@"
]=])
add_test(NAME e2e.scenarios
         COMMAND bash ${VQ_E2E_RUNNER} ${CMAKE_SOURCE_DIR}/scripts/wine-exec $<TARGET_FILE:e2e_test>
                 --gtest_filter=-*Austrian*)
set_tests_properties(e2e.scenarios PROPERTIES TIMEOUT 600 ENVIRONMENT "LANG=en_US.UTF-8;LC_ALL=en_US.UTF-8")
# The removable scenario defines a stick E:; without a template the prefix is the shared one, where
# the drive test defines its own drives.
set_tests_properties(e2e.scenarios PROPERTIES RESOURCE_LOCK wine_drives)
# Wine takes the system language from the Unix locale the driver itself starts in, so the
# Austrian user's scenario runs in a driver started on that locale.
add_test(NAME e2e.scenarios.de_AT
         COMMAND bash ${VQ_E2E_RUNNER} ${CMAKE_SOURCE_DIR}/scripts/wine-exec $<TARGET_FILE:e2e_test>
                 --gtest_filter=*Austrian*)
set_tests_properties(e2e.scenarios.de_AT PROPERTIES TIMEOUT 300 ENVIRONMENT "LANG=de_AT.UTF-8;LC_ALL=de_AT.UTF-8")
