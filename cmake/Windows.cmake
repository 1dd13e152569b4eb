# Windows build: VQSetup.exe, the stand-in application, ziplib.dll and the test programs,
# all linked statically so that nothing but system DLLs is imported.
set(VQ_NATIVE_DIR "" CACHE PATH "Host build tree whose tests join this tree's CTest run")

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
add_link_options(-static -static-libgcc -static-libstdc++)

# Every PE of the tree, the shipped ones and the tests alike:
# - ASLR with a 64-bit address space and DEP, set here rather than left to the linker's defaults
#   (binutils turned them on by default only in 2.36, and a default can change back);
#   scripts/check-imports verifies them on every shipped PE.
# - stack canaries on functions with arrays or addresses taken; libssp comes statically with
#   -static, so no DLL is added to the imports.
# - no time stamps: the PE header's and the export table's would make every build differ. The
#   header checksum is computed over the contents and so is the same for the same bytes.
add_compile_options(-fstack-protector-strong)
add_link_options(-fstack-protector-strong
                 -Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat -Wl,--no-insert-timestamp)

set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# The product's version, from project(VERSION), for the sources, the VERSIONINFO and the manifest.
set(VQ_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(src/VQVersion.h.in ${VQ_GENERATED_DIR}/VQVersion.h @ONLY)
configure_file(src/resources/VQSetup.manifest.in ${VQ_GENERATED_DIR}/VQSetup.manifest @ONLY)

# What the setup and the uninstaller share.
add_library(vq_common STATIC ${VQ_COMMON_SOURCES})
target_include_directories(vq_common PUBLIC src ${VQ_GENERATED_DIR})
target_link_libraries(vq_common PUBLIC ole32 oleaut32 uuid shell32 shlwapi comctl32 comdlg32 advapi32 user32 gdi32 kernel32)
vq_own_code(vq_common)

add_library(vqsetup_core STATIC ${VQ_CORE_SOURCES})
target_link_libraries(vqsetup_core PUBLIC vq_common)
vq_own_code(vqsetup_core)

file(GLOB_RECURSE VQ_RESOURCE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/resources/*)
set_source_files_properties(${VQ_RESOURCE_SOURCES} PROPERTIES OBJECT_DEPENDS
    "${VQ_RESOURCE_FILES};${VQ_GENERATED_DIR}/VQVersion.h;${VQ_GENERATED_DIR}/VQSetup.manifest")

# The program body once, for VQSetup.exe and for the setup that make sign links around the
# archive of signed binaries.
add_library(vqsetup_main OBJECT ${VQ_SETUP_SOURCES})
target_link_libraries(vqsetup_main PRIVATE vqsetup_core)
vq_own_code(vqsetup_main)

add_executable(VQSetup WIN32 $<TARGET_OBJECTS:vqsetup_main> ${VQ_RESOURCE_SOURCES})
target_link_libraries(VQSetup PRIVATE vqsetup_core)
# Stripped: the symbols would be a megabyte of the download for nobody. Sections start on page
# boundaries in the file too, so that the loader can map the archive's 27 MB instead of reading
# them: Wine reads every section of an image whose sections are not page-aligned in the file into
# memory at the start, where they would stay in the working set for the whole run.
set(VQ_SETUP_LINK_OPTIONS -municode -s -Wl,--file-alignment=0x1000)
target_link_options(VQSetup PRIVATE ${VQ_SETUP_LINK_OPTIONS})

# The stand-in for the installed application: answers the setup's running-instance query.
add_executable(VessasQuorin WIN32 ${VQ_STANDIN_SOURCES})
set_target_properties(VessasQuorin PROPERTIES OUTPUT_NAME VessasQuorin SUFFIX ".Exe")
target_link_libraries(VessasQuorin PRIVATE user32 gdi32)
target_include_directories(VessasQuorin PRIVATE ${VQ_GENERATED_DIR})
target_link_options(VessasQuorin PRIVATE -municode)
vq_own_code(VessasQuorin)

# ---- what ships

# vq_ship(target [PAYLOAD] [REQUIRE_ADMIN]): a PE the project ships. Each is checked for its
# imports and hardening (REQUIRE_ADMIN: and its manifest's elevation), compared byte for byte by
# make reproducible and signed by make sign. PAYLOAD ones travel inside the archive: the payload
# stages them under built/, and make sign signs them before it packs them, VQSetup.exe last.
# Adding a shipped program is one call here or beside its target.
set(VQ_PAYLOAD_TARGETS "")
function(vq_ship target)
    cmake_parse_arguments(arg "PAYLOAD;REQUIRE_ADMIN" "" "" ${ARGN})
    set(options "")
    if(arg_REQUIRE_ADMIN)
        set(options --require-admin)
    endif()
    add_test(NAME build.${target}_imports_and_hardening
             COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-imports ${options} $<TARGET_FILE:${target}>)
    set_tests_properties(build.${target}_imports_and_hardening PROPERTIES LABELS build)
    if(arg_PAYLOAD)
        set(VQ_PAYLOAD_TARGETS ${VQ_PAYLOAD_TARGETS} ${target} PARENT_SCOPE)
        set_property(GLOBAL APPEND PROPERTY VQ_SHIPPED_LINES "payload=$<TARGET_FILE:${target}>")
    else()
        set_property(GLOBAL APPEND PROPERTY VQ_SHIPPED_LINES "setup=$<TARGET_FILE:${target}>")
    endif()
endfunction()

vq_ship(VQSetup REQUIRE_ADMIN)
vq_ship(VessasQuorin PAYLOAD)
# The uninstaller (cmake/UninstallWindows.cmake) is named here, before the payloads are staged.
vq_ship(VQUninstall PAYLOAD REQUIRE_ADMIN)

# The check itself must refuse what it is there to refuse: a PE built without the flags, importing
# mpr.dll (no known DLL, as the setup once did for network drives) and asking for no elevation.
add_executable(vq_weak_pe WIN32 ${VQ_WEAK_PE_SOURCES})
target_link_libraries(vq_weak_pe PRIVATE mpr)
target_link_options(vq_weak_pe PRIVATE -Wl,--disable-dynamicbase -Wl,--disable-high-entropy-va -Wl,--disable-nxcompat)
add_test(NAME build.hardening_check_refuses_a_weak_pe
         COMMAND ${CMAKE_SOURCE_DIR}/scripts/expect-refusal
                 "not a known system DLL: [Mm][Pp][Rr]\\.dll"
                 "missing DllCharacteristics flag: DYNAMIC_BASE"
                 "missing DllCharacteristics flag: HIGH_ENTROPY_VA"
                 "missing DllCharacteristics flag: NX_COMPAT"
                 "manifest does not request requireAdministrator \\(requested: asInvoker\\)"
                 --
                 ${CMAKE_SOURCE_DIR}/scripts/check-imports --require-admin $<TARGET_FILE:vq_weak_pe>)
set_tests_properties(build.hardening_check_refuses_a_weak_pe PROPERTIES LABELS build)

# ---- tests: one executable per area, one CTest entry each

# vq_win_test(name [OWN_PREFIX] SOURCES...): OWN_PREFIX runs it in a Wine prefix of its own
# (scripts/own-prefix), for test programs that start the stand-in application or run complete
# installations: in the shared prefix the stand-in's window would meet another program's running
# check, and an installation's settings key another program's forms.
function(vq_win_test name)
    cmake_parse_arguments(arg "OWN_PREFIX" "" "" ${ARGN})
    add_executable(${name} ${arg_UNPARSED_ARGUMENTS} ${VQ_RESOURCE_SOURCES})
    target_link_libraries(${name} PRIVATE vqsetup_core vq_testmain GTest::gtest)
    target_include_directories(${name} PRIVATE tests/win)
    vq_own_code(${name})
    if(arg_OWN_PREFIX)
        add_test(NAME win.${name} COMMAND ${CMAKE_SOURCE_DIR}/scripts/own-prefix
                 ${CMAKE_SOURCE_DIR}/scripts/wine-exec $<TARGET_FILE:${name}>)
    else()
        add_test(NAME win.${name} COMMAND ${name})
    endif()
    set_tests_properties(win.${name} PROPERTIES TIMEOUT 300 LABELS unit
                         ENVIRONMENT "LANG=en_US.UTF-8;LC_ALL=en_US.UTF-8")
endfunction()

add_library(vq_testmain STATIC ${VQ_TESTMAIN_SOURCES})
target_link_libraries(vq_testmain PUBLIC vqsetup_core GTest::gtest)
target_include_directories(vq_testmain PUBLIC tests/win)
vq_own_code(vq_testmain)

vq_win_test(utillity_test ${VQ_UTILLITY_TEST_SOURCES})
vq_win_test(startup_test OWN_PREFIX ${VQ_STARTUP_TEST_SOURCES})
vq_win_test(hardening_test ${VQ_HARDENING_TEST_SOURCES})
vq_win_test(language_test ${VQ_LANGUAGE_TEST_SOURCES})
vq_win_test(navigation_test ${VQ_NAVIGATION_TEST_SOURCES})
vq_win_test(options_folder_test ${VQ_OPTIONS_FOLDER_TEST_SOURCES})
add_dependencies(startup_test VessasQuorin)

# The start language on other systems: Wine takes the system language from the process's locale.
foreach(locale de_AT:de-AT de_CH:de-CH de_DE:de-DE fr_FR:fr-FR ca_ES:es-ES es_MX:es-ES pt_PT:en-US)
    string(REPLACE ":" ";" pair ${locale})
    list(GET pair 0 posix)
    list(GET pair 1 code)
    add_test(NAME win.language_test.${posix} COMMAND language_test --gtest_filter=SystemLanguage.*)
    set_tests_properties(win.language_test.${posix} PROPERTIES LABELS unit
        ENVIRONMENT "LANG=${posix}.UTF-8;LC_ALL=${posix}.UTF-8;VQ_SYSTEM_LOCALE=${code}")
endforeach()

add_library(vqplanted SHARED ${VQ_PLANTED_DLL_SOURCES})
set_target_properties(vqplanted PROPERTIES PREFIX "" OUTPUT_NAME vqplanted)
add_dependencies(hardening_test vqplanted VQSetup VessasQuorin)

# ---- tools for people

# Draws every page in every language for people to look at (make screenshots).
add_executable(PageGallery ${VQ_PAGE_GALLERY_SOURCES} ${VQ_RESOURCE_SOURCES})
target_link_libraries(PageGallery PRIVATE vqsetup_core)
target_include_directories(PageGallery PRIVATE tests/win)
target_link_options(PageGallery PRIVATE -municode)
vq_own_code(PageGallery)

# The host tree's tests run in the same CTest session, so one summary covers everything.
if(VQ_NATIVE_DIR AND EXISTS "${VQ_NATIVE_DIR}/CTestTestfile.cmake")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${VQ_NATIVE_DIR}/CTestTestfile.cmake")
endif()
include(cmake/ArchiveWindows.cmake)
include(cmake/SettingsWindows.cmake)
include(cmake/DrivesWindows.cmake)
include(cmake/UninstallWindows.cmake)
include(cmake/E2EWindows.cmake)
include(cmake/BenchWindows.cmake)
include(cmake/ReleaseWindows.cmake)
include(cmake/DpiWindows.cmake)
