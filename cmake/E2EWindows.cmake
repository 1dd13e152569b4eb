# End-to-end scenarios: the real VQSetup.exe started and driven from outside, as a user meets it.
add_executable(e2e_test ${VQ_E2E_TEST_SOURCES})
target_link_libraries(e2e_test PRIVATE vqsetup_core GTest::gtest ${VQ_MINGW_ZLIB})
target_include_directories(e2e_test PRIVATE tests/e2e tests/win)
vq_own_code(e2e_test)
# The driver finds the setup, the stand-in application and the uninstaller beside itself.
add_dependencies(e2e_test VQSetup VessasQuorin VQUninstall)

# vq_e2e(name FILTER [LOCALE posix]): one scenario (a gtest filter: one test, or the cases of one
# parameterized test) as a CTest entry of its own, in a prefix of its own: every scenario installs
# into the default folders, writes the settings key and looks for running copies of the
# application, so two of them in one prefix would meet each other. Wine takes the system language
# from the Unix locale the driver starts in (default en_US). A new scenario needs a line here;
# e2e.every_scenario_has_an_entry fails until it has one.
set(VQ_E2E_FILTERS "")
function(vq_e2e name filter)
    cmake_parse_arguments(arg "" "LOCALE" "" ${ARGN})
    if(NOT arg_LOCALE)
        set(arg_LOCALE en_US)
    endif()
    add_test(NAME e2e.${name}
             COMMAND ${CMAKE_SOURCE_DIR}/scripts/own-prefix ${CMAKE_SOURCE_DIR}/scripts/wine-exec
                     $<TARGET_FILE:e2e_test> --gtest_filter=${filter})
    set_tests_properties(e2e.${name} PROPERTIES TIMEOUT 300 LABELS e2e
                         ENVIRONMENT "LANG=${arg_LOCALE}.UTF-8;LC_ALL=${arg_LOCALE}.UTF-8")
    set(VQ_E2E_FILTERS ${VQ_E2E_FILTERS} ${filter} PARENT_SCOPE)
endfunction()

vq_e2e(standard Scenario.StandardInstallationThroughAllPagesIntoTheDefaultFolders)
vq_e2e(austrian_user Scenario.AustrianUserPicksTheLanguageCustomOptionsAndOwnFoldersWhichTheNextStartShowsAgain
       LOCALE de_AT)
vq_e2e(removable RemovableScenario.InstallsOntoTheStickWithItsOwnLinkAndTheNextStartPreselectsIt)
vq_e2e(silent AnyCase/SilentScenario.*)
vq_e2e(running_application Scenario.RunningApplicationIsRefusedAndRepeatSucceedsOnceItIsClosed)
vq_e2e(close_during_run_yes Scenario.ClosingDuringTheRunWithYesCancelsItCleanly)
vq_e2e(close_during_run_no Scenario.ClosingDuringTheRunWithNoLetsItFinish)
vq_e2e(program_folder_not_creatable
       Scenario.ProgramFolderThatCannotBeCreatedOffersRepeatThenCancelLeadsToTheExitQuestion)
vq_e2e(newer_version_installed Scenario.NewerInstalledVersionIsRefusedAndNothingIsWritten)
vq_e2e(startup FileNameAndParameters/StartupScenario.*)
vq_e2e(hotfix_over_installation Scenario.HotfixOverAnInstallationKeepsTheSettingsAndChangesOnlyTheVersion)
vq_e2e(hotfix_without_installation Scenario.HotfixWithoutAnInstallationIsRefusedWithThePath)
vq_e2e(wide_paths WidePathScenario.ThreeParametersInstallIntoFoldersAndATempFolderOutsideTheAnsiCodePage)
vq_e2e(uninstall_standard UninstallScenario.StandardInstallationGoesThroughTheProgramListLeavingOnlyTheUsersFiles)
vq_e2e(uninstall_remove_data UninstallScenario.CustomInstallationWithoutLinksWithRemoveDataSendsTheUsersDataToTheTrash)
vq_e2e(uninstall_after_hotfix UninstallScenario.HotfixOverAnInstallationThenTheQuietUninstallStringRemovesBoth)
vq_e2e(uninstall_running_application UninstallScenario.TheRunningApplicationIsRefusedUntilItIsClosedThenRepeatRemoves)
vq_e2e(uninstall_silent UninstallScenario.SilentExitCodesAndASecondRunThatFindsNothing)
vq_e2e(uninstall_damaged_record UninstallScenario.ADamagedRecordIsReportedAndNothingIsRemoved)
vq_e2e(uninstall_without_record UninstallScenario.AnInstallationWithoutARecordLosesItsProgramButKeepsItsData)
vq_e2e(uninstall_stick_present RemovableUninstallScenario.TheStickAndTheMachineAreClearedWhileTheStickIsPresent)
vq_e2e(uninstall_stick_away RemovableUninstallScenario.WithTheStickAwayTheMachinesEntriesGoAndTheSticksFilesStay)

# Every scenario the driver holds is run by exactly one entry above.
add_test(NAME e2e.every_scenario_has_an_entry
         COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-e2e-entries
                 ${CMAKE_SOURCE_DIR}/scripts/wine-exec $<TARGET_FILE:e2e_test> ${VQ_E2E_FILTERS})
set_tests_properties(e2e.every_scenario_has_an_entry PROPERTIES LABELS e2e)
