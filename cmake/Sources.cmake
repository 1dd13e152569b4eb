# Every source file of every target, listed once: one list per target, grouped by folder. A target
# that builds on another's code names that list instead of repeating its files. Headers are listed
# with their sources, so that the check at the end can tell a forgotten file from a deliberate one.
# The files are relative to the top of the tree.

# ---- code shared by the host tools and the setup

# The text table and Windows-1252, the part of src/texts that needs no Windows.
set(VQ_PORTABLE_SOURCES
    src/texts/Cp1252.cpp
    src/texts/Cp1252.h
    src/texts/Utf8.h
    src/texts/LanguageUnit.cpp
    src/texts/LanguageUnit.h
    src/texts/Languages.cpp
    src/texts/Languages.h
)

# The archive reader.
set(VQ_ARCHIVE_SOURCES
    src/archive/ArchiveStream.h
    src/archive/PackFileUnit.cpp
    src/archive/PackFileUnit.h
    src/services/VQError.h
)

# gzip on zlib, in ziplib.dll and in vqpack.
set(VQ_GZIP_SOURCES
    ziplib/GzipCodec.cpp
    ziplib/GzipCodec.h
)

# ---- host tools (native tree)

# The archive writer, in vqpack and in its tests.
set(VQ_PACK_WRITER_SOURCES
    tools/vqpack/PackWriter.cpp
    tools/vqpack/PackWriter.h
)
set(VQ_VQPACK_SOURCES
    ${VQ_PACK_WRITER_SOURCES}
    tools/vqpack/vqpack.cpp
)

set(VQ_VQSTANDIN_SOURCES
    tools/vqpack/StandIns.cpp
)

# ---- native tests

set(VQ_LANGUAGE_NATIVE_TEST_SOURCES
    tests/native/LanguageUnitTest.cpp
)

# The install record's text format; the record itself needs no Windows.
set(VQ_INSTALL_RECORD_NATIVE_TEST_SOURCES
    src/engine/InstallRecord.cpp
    tests/native/InstallRecordTest.cpp
)

set(VQ_PACK_FILE_NATIVE_TEST_SOURCES
    tests/native/ArchiveBytes.h
    tests/native/PackFileLoadTest.cpp
    tests/native/PackFileWriterTest.cpp
)

# The fuzzer is compiled with clang on top of the reader and the portable texts.
set(VQ_PACK_FILE_FUZZER_SOURCES
    tests/fuzz/PackFileFuzz.cpp
)

# ---- the setup (Windows tree)

# What the setup and the uninstaller share: the texts, the log and the error report, the services,
# and the engine's folder rules, settings reader, install record and running-instance query.
set(VQ_COMMON_SOURCES
    ${VQ_PORTABLE_SOURCES}
    # src/texts
    src/texts/ErrorUnit.cpp
    src/texts/ErrorUnit.h
    # src/services
    src/services/DialogUnit.cpp
    src/services/Dpi.cpp
    src/services/Dpi.h
    src/services/FormWindow.cpp
    src/services/FormWindow.h
    src/services/Handles.h
    src/services/ScaledImages.cpp
    src/services/ScaledImages.h
    src/services/UtillityUnit.cpp
    src/services/UtillityUnit.h
    # src/engine
    src/engine/Folders.cpp
    src/engine/Folders.h
    src/engine/InstallRecord.cpp
    src/engine/InstallRecord.h
    src/engine/InstallRecordFile.cpp
    src/engine/InstallRecordFile.h
    src/engine/ProductNames.h
    src/engine/RunningCheck.cpp
    src/engine/RunningCheck.h
    src/engine/SettingsUnit.cpp
    src/engine/SettingsUnit.h
    src/engine/SetupChoices.h
)

# Everything of the setup but its entry point, so that the tests drive the same code in-process.
set(VQ_CORE_SOURCES
    ${VQ_ARCHIVE_SOURCES}
    # src/services
    src/services/IEDriveInfo.cpp
    src/services/IEDriveInfo.h
    # src/archive
    src/archive/FileCompress.cpp
    src/archive/FileCompress.h
    src/archive/PackFileExtract.cpp
    src/archive/ResourceStream.cpp
    src/archive/ResourceStream.h
    # src/engine
    src/engine/IniFileUnit.cpp
    src/engine/InstallUnit.cpp
    src/engine/InstallUnit.h
    src/engine/InstallView.h
    src/engine/LinksUnit.cpp
    src/engine/PlacementUnit.cpp
    src/engine/RegistryUnit.cpp
    src/engine/RunRecord.cpp
    src/engine/UpdateCheckUnit.cpp
    # src/wizard
    src/wizard/Controls.h
    src/wizard/DeferredCaption.cpp
    src/wizard/DeferredCaption.h
    src/wizard/FolderPages.cpp
    src/wizard/FormResources.h
    src/wizard/LanguagePages.cpp
    src/wizard/NavigationUnit.cpp
    src/wizard/OptionsPage.cpp
    src/wizard/VQSetupLayout.cpp
    src/wizard/VQSetupStartup.cpp
    src/wizard/VQSetupUnit.cpp
    src/wizard/VQSetupUnit.h
)

# The program body; the resources come with it (the archive is added by the build).
set(VQ_SETUP_SOURCES
    src/VQSetup.cpp
)
set(VQ_RESOURCE_SOURCES
    src/resources/VQSetup.rc
)
# Generated into the build tree by configure_file.
set(VQ_TEMPLATE_SOURCES
    src/VQVersion.h.in
    src/resources/VQSetup.manifest.in
)

set(VQ_ZIPLIB_SOURCES
    ${VQ_GZIP_SOURCES}
    ziplib/ziplib.cpp
    ziplib/ziplib.def
)

# The stand-in for the installed application.
set(VQ_STANDIN_SOURCES
    tests/standin/VessasQuorin.cpp
)

# ---- the uninstaller (Windows tree)

# Everything of the uninstaller but its entry point, so that the tests drive the same code in-process.
set(VQ_UNINSTALL_CORE_SOURCES
    src/uninstall/Installation.cpp
    src/uninstall/Installation.h
    src/uninstall/Removal.cpp
    src/uninstall/Removal.h
    src/uninstall/SelfRemoval.cpp
    src/uninstall/SelfRemoval.h
    src/uninstall/UninstallForm.cpp
    src/uninstall/UninstallForm.h
    src/uninstall/Uninstaller.cpp
    src/uninstall/Uninstaller.h
)
set(VQ_UNINSTALL_SOURCES
    src/uninstall/VQUninstall.cpp
)
set(VQ_UNINSTALL_RESOURCE_SOURCES
    src/uninstall/resources/VQUninstall.rc
)
set(VQ_UNINSTALL_TEMPLATE_SOURCES
    src/uninstall/resources/VQUninstall.manifest.in
)

# ---- Windows tests, one program per area

set(VQ_TESTMAIN_SOURCES
    tests/win/TestMain.cpp
    tests/win/TestSupport.cpp
    tests/win/TestSupport.h
)
# What the engine's tests hand the install run instead of a window.
set(VQ_ENGINE_FIXTURE_SOURCES
    tests/win/EngineFixtures.h
)
# Shared by the tests that define drives in their prefix.
set(VQ_WINE_DRIVES_SOURCES
    tests/win/WineDrives.cpp
    tests/win/WineDrives.h
)
# Linked into the test programs that run complete installations (see the file).
set(VQ_USER_REGISTRY_SANDBOX_SOURCES
    tests/win/UserRegistrySandbox.cpp
)
# The setup's open message dialog, found from a second thread.
set(VQ_DIALOG_SEARCH_SOURCES
    tests/win/DialogSearch.cpp
    tests/win/DialogSearch.h
)
set(VQ_SCREEN_CAPTURE_SOURCES
    tests/win/ScreenCapture.cpp
    tests/win/ScreenCapture.h
)

set(VQ_UTILLITY_TEST_SOURCES tests/win/UtillityTest.cpp)
set(VQ_STARTUP_TEST_SOURCES tests/win/StartupTest.cpp)
set(VQ_HARDENING_TEST_SOURCES tests/win/HardeningTest.cpp)
set(VQ_LANGUAGE_TEST_SOURCES tests/win/LanguageTest.cpp)
set(VQ_NAVIGATION_TEST_SOURCES tests/win/NavigationTest.cpp)
# The form and its dialogs at the display scales (cmake/DpiWindows.cmake).
set(VQ_SCALE_TEST_SOURCES
    ${VQ_DIALOG_SEARCH_SOURCES}
    tests/win/ScaleSupport.cpp
    tests/win/ScaleSupport.h
    tests/win/ScaleTest.cpp
    tests/win/TextFitTest.cpp
    tests/win/UninstallScaleTest.cpp
)
set(VQ_OPTIONS_FOLDER_TEST_SOURCES tests/win/OptionsFolderTest.cpp tests/win/FoldersTest.cpp)
set(VQ_ARCHIVE_TEST_SOURCES
    ${VQ_WINE_DRIVES_SOURCES}
    tests/win/ArchiveFixtures.h
    tests/win/ArchiveTest.cpp
    tests/win/WidePathTest.cpp
)
set(VQ_INSTALL_TEST_SOURCES
    ${VQ_ENGINE_FIXTURE_SOURCES}
    ${VQ_USER_REGISTRY_SANDBOX_SOURCES}
    tests/win/InstallTest.cpp
)
set(VQ_SETTINGS_TEST_SOURCES
    ${VQ_ENGINE_FIXTURE_SOURCES}
    tests/win/IniFileTest.cpp
    tests/win/LinksTest.cpp
    tests/win/RegistryTest.cpp
)
set(VQ_DRIVE_TEST_SOURCES
    ${VQ_WINE_DRIVES_SOURCES}
    ${VQ_USER_REGISTRY_SANDBOX_SOURCES}
    tests/win/DriveInfoTest.cpp
)

# Both registry roots kept to themselves by the tests that write the machine's keys.
set(VQ_MACHINE_REGISTRY_SANDBOX_SOURCES
    tests/win/MachineRegistrySandbox.h
)
set(VQ_RECORD_TEST_SOURCES
    ${VQ_ENGINE_FIXTURE_SOURCES}
    ${VQ_MACHINE_REGISTRY_SANDBOX_SOURCES}
    tests/win/InstallRecordTest.cpp
)
set(VQ_UNINSTALL_TEST_SOURCES
    ${VQ_ENGINE_FIXTURE_SOURCES}
    ${VQ_MACHINE_REGISTRY_SANDBOX_SOURCES}
    ${VQ_WINE_DRIVES_SOURCES}
    tests/win/UninstallFormTest.cpp
    tests/win/UninstallTest.cpp
)

# Helpers of the hardening tests: a DLL planted beside a program, and a PE the import and
# hardening check must refuse.
set(VQ_PLANTED_DLL_SOURCES tests/win/PlantedDll.cpp)
set(VQ_WEAK_PE_SOURCES
    tests/win/ImportsMpr.cpp
    tests/win/WeakPe.rc
)

# The end-to-end driver and its scenarios.
set(VQ_E2E_TEST_SOURCES
    ${VQ_WINE_DRIVES_SOURCES}
    ${VQ_SCREEN_CAPTURE_SOURCES}
    tests/e2e/Driver.cpp
    tests/e2e/Driver.h
    tests/e2e/ScenarioSupport.cpp
    tests/e2e/ScenarioSupport.h
    tests/e2e/Scenarios.cpp
    tests/e2e/UninstallScenarios.cpp
    tests/e2e/WidePathScenario.cpp
)

# ---- tools for people (make screenshots, make bench)

set(VQ_PAGE_GALLERY_SOURCES
    ${VQ_DIALOG_SEARCH_SOURCES}
    ${VQ_SCREEN_CAPTURE_SOURCES}
    tests/tools/PageGallery.cpp
)
set(VQ_IDEAL_EXTRACTOR_SOURCES tests/bench/IdealExtractor.cpp)
set(VQ_BENCH_LAUNCH_SOURCES tests/bench/Launch.cpp)
set(VQ_BENCH_LOAD_SOURCES tests/bench/Bench.cpp)
set(VQ_MINIMAL_WINDOW_SOURCES tests/bench/MinimalWindow.cpp)

# ---- every file above is one the build knows

# A source file in one of these folders that no list names would be silently left out of the
# build; a test file left out drops its tests without a word. So configuring fails instead.
function(vq_check_sources_listed)
    get_cmake_property(variables VARIABLES)
    set(listed "")
    foreach(variable ${variables})
        if(variable MATCHES "^VQ_.*_SOURCES$")
            list(APPEND listed ${${variable}})
        endif()
    endforeach()
    file(GLOB_RECURSE present RELATIVE ${CMAKE_SOURCE_DIR} CONFIGURE_DEPENDS
         ${CMAKE_SOURCE_DIR}/src/*.cpp ${CMAKE_SOURCE_DIR}/src/*.h ${CMAKE_SOURCE_DIR}/src/*.in
         ${CMAKE_SOURCE_DIR}/src/*.rc ${CMAKE_SOURCE_DIR}/ziplib/*
         ${CMAKE_SOURCE_DIR}/tools/vqpack/* ${CMAKE_SOURCE_DIR}/tests/*.cpp ${CMAKE_SOURCE_DIR}/tests/*.h
         ${CMAKE_SOURCE_DIR}/tests/*.rc)
    set(unlisted "")
    foreach(file ${present})
        if(NOT file IN_LIST listed)
            list(APPEND unlisted ${file})
        endif()
    endforeach()
    set(missing "")
    foreach(file ${listed})
        if(NOT EXISTS ${CMAKE_SOURCE_DIR}/${file})
            list(APPEND missing ${file})
        endif()
    endforeach()
    if(unlisted OR missing)
        list(JOIN unlisted "\n  " unlisted_text)
        list(JOIN missing "\n  " missing_text)
        message(FATAL_ERROR "cmake/Sources.cmake does not match the tree.\n"
                "Files no list names (add each to its target's list):\n  ${unlisted_text}\n"
                "Listed files that do not exist:\n  ${missing_text}")
    endif()
endfunction()
vq_check_sources_listed()
