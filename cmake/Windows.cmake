# Windows build: VQSetup.exe, the stand-in application, ziplib.dll and the test programs,
# all linked statically so that nothing but system DLLs is imported.
set(VQ_NATIVE_DIR "" CACHE PATH "Host build tree whose tests join this tree's CTest run")

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
add_compile_options(-Wall -Wextra)
add_link_options(-static -static-libgcc -static-libstdc++)

set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# The product's version, from project(VERSION), for the sources, the VERSIONINFO and the manifest.
set(VQ_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(src/VQVersion.h.in ${VQ_GENERATED_DIR}/VQVersion.h @ONLY)
configure_file(src/resources/VQSetup.manifest.in ${VQ_GENERATED_DIR}/VQSetup.manifest @ONLY)

# What the setup and the uninstaller share: the texts, the log and the error report, the services,
# and the engine's folder rules, settings reader, install record and running-instance query.
add_library(vq_common STATIC
    src/texts/LanguageUnit.cpp
    src/texts/Languages.cpp
    src/texts/Cp1252.cpp
    src/texts/ErrorUnit.cpp
    src/services/UtillityUnit.cpp
    src/services/DialogUnit.cpp
    src/engine/Folders.cpp
    src/engine/InstallRecord.cpp
    src/engine/InstallRecordFile.cpp
    src/engine/RunningCheck.cpp
)
target_include_directories(vq_common PUBLIC src ${VQ_GENERATED_DIR})
target_link_libraries(vq_common PUBLIC ole32 oleaut32 uuid shell32 shlwapi comctl32 comdlg32 advapi32 user32 gdi32 kernel32)

# Everything of the setup but its entry point, so that the tests drive the same code in-process.
add_library(vqsetup_core STATIC
    src/wizard/VQSetupUnit.cpp
    src/wizard/VQSetupLayout.cpp
    src/wizard/VQSetupStartup.cpp
    src/wizard/LanguagePages.cpp
    src/wizard/NavigationUnit.cpp
    src/wizard/FolderPages.cpp
    src/wizard/OptionsPage.cpp
    src/engine/InstallUnit.cpp
    src/engine/RunRecord.cpp
    src/engine/UpdateCheckUnit.cpp
    src/engine/PlacementUnit.cpp
    src/engine/LinksUnit.cpp
    src/engine/IniFileUnit.cpp
    src/engine/RegistryUnit.cpp
)
target_link_libraries(vqsetup_core PUBLIC vq_common)

set(VQ_RESOURCES src/resources/VQSetup.rc)
file(GLOB_RECURSE VQ_RESOURCE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/resources/*)
set_source_files_properties(src/resources/VQSetup.rc PROPERTIES OBJECT_DEPENDS
    "${VQ_RESOURCE_FILES};${VQ_GENERATED_DIR}/VQVersion.h;${VQ_GENERATED_DIR}/VQSetup.manifest")

add_executable(VQSetup WIN32 src/VQSetup.cpp ${VQ_RESOURCES})
target_link_libraries(VQSetup PRIVATE vqsetup_core)
# Stripped: the symbols would be a megabyte of the download for nobody.
target_link_options(VQSetup PRIVATE -municode -s)

# The stand-in for the installed application: answers the setup's running-instance query.
add_executable(VessasQuorin WIN32 tests/standin/VessasQuorin.cpp)
set_target_properties(VessasQuorin PROPERTIES OUTPUT_NAME VessasQuorin SUFFIX ".Exe")
target_link_libraries(VessasQuorin PRIVATE user32 gdi32)
target_include_directories(VessasQuorin PRIVATE ${VQ_GENERATED_DIR})
target_link_options(VessasQuorin PRIVATE -municode)

# Tests: one executable per area, one CTest entry each.
function(vq_win_test name)
    add_executable(${name} ${ARGN} ${VQ_RESOURCES})
    target_link_libraries(${name} PRIVATE vqsetup_core GTest::gtest)
    target_include_directories(${name} PRIVATE tests/win)
    add_test(NAME win.${name} COMMAND ${name})
    set_tests_properties(win.${name} PROPERTIES TIMEOUT 300 ENVIRONMENT "LANG=en_US.UTF-8;LC_ALL=en_US.UTF-8")
endfunction()

add_library(vq_testmain STATIC tests/win/TestMain.cpp tests/win/TestSupport.cpp)
target_link_libraries(vq_testmain PUBLIC vqsetup_core GTest::gtest)
target_include_directories(vq_testmain PUBLIC tests/win)

vq_win_test(utillity_test tests/win/UtillityTest.cpp)
vq_win_test(startup_test tests/win/StartupTest.cpp)
vq_win_test(hardening_test tests/win/HardeningTest.cpp)
vq_win_test(language_test tests/win/LanguageTest.cpp)
vq_win_test(navigation_test tests/win/NavigationTest.cpp)
vq_win_test(options_folder_test tests/win/OptionsFolderTest.cpp tests/win/FoldersTest.cpp)
foreach(t utillity_test startup_test hardening_test language_test navigation_test options_folder_test)
    target_link_libraries(${t} PRIVATE vq_testmain)
endforeach()
add_dependencies(startup_test VessasQuorin)

# Draws every page in every language for people to look at (make screenshots).
add_executable(PageGallery tests/tools/PageGallery.cpp tests/win/ScreenCapture.cpp ${VQ_RESOURCES})
target_link_libraries(PageGallery PRIVATE vqsetup_core)
target_include_directories(PageGallery PRIVATE tests/win)
target_link_options(PageGallery PRIVATE -municode)

# The start language on other systems: Wine takes the system language from the process's locale.
foreach(locale de_AT:de-AT de_CH:de-CH de_DE:de-DE fr_FR:fr-FR ca_ES:es-ES es_MX:es-ES pt_PT:en-US)
    string(REPLACE ":" ";" pair ${locale})
    list(GET pair 0 posix)
    list(GET pair 1 code)
    add_test(NAME win.language_test.${posix} COMMAND language_test --gtest_filter=SystemLanguage.*)
    set_tests_properties(win.language_test.${posix} PROPERTIES
        ENVIRONMENT "LANG=${posix}.UTF-8;LC_ALL=${posix}.UTF-8;VQ_SYSTEM_LOCALE=${code}")
endforeach()

add_library(vqplanted SHARED tests/win/PlantedDll.cpp)
set_target_properties(vqplanted PROPERTIES PREFIX "" OUTPUT_NAME vqplanted)
add_dependencies(hardening_test vqplanted VQSetup VessasQuorin)

# VQSetup.exe must import nothing but Windows system DLLs.
add_test(NAME build.system_imports_only
         COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-imports $<TARGET_FILE:VQSetup>)
# ... and the check must catch a DLL that is no known DLL, such as mpr.dll.
add_executable(vq_imports_mpr WIN32 tests/win/ImportsMpr.cpp)
target_link_libraries(vq_imports_mpr PRIVATE mpr)
add_test(NAME build.import_check_refuses_unknown_dlls
         COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-imports $<TARGET_FILE:vq_imports_mpr>)
set_tests_properties(build.import_check_refuses_unknown_dlls PROPERTIES
    PASS_REGULAR_EXPRESSION "not a known system DLL: [Mm][Pp][Rr]\\.dll")

# The host tree's tests run in the same CTest session, so one summary covers everything.
if(VQ_NATIVE_DIR AND EXISTS "${VQ_NATIVE_DIR}/CTestTestfile.cmake")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${VQ_NATIVE_DIR}/CTestTestfile.cmake")
endif()
include(cmake/ArchiveWindows.cmake OPTIONAL)
include(cmake/SettingsWindows.cmake OPTIONAL)
include(cmake/DrivesWindows.cmake OPTIONAL)
include(cmake/UninstallWindows.cmake OPTIONAL)
include(cmake/E2EWindows.cmake OPTIONAL)
include(cmake/BenchWindows.cmake OPTIONAL)
