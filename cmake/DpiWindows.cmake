# Display scales: the test program of the form, its dialogs and the uninstaller's window, run at four scales, each in a Wine
# prefix of its own (Wine reads the DPI once per process).
add_executable(scale_test ${VQ_SCALE_TEST_SOURCES} ${VQ_RESOURCE_SOURCES})
target_link_libraries(scale_test PRIVATE vqsetup_core vq_uninstall vq_testmain GTest::gtest)
target_include_directories(scale_test PRIVATE tests/win)
vq_own_code(scale_test)
foreach(dpi 96 120 144 192)
    add_test(NAME win.scale_test.dpi${dpi} COMMAND ${CMAKE_SOURCE_DIR}/scripts/with-dpi ${dpi} $<TARGET_FILE:scale_test>)
    set_tests_properties(win.scale_test.dpi${dpi} PROPERTIES TIMEOUT 300 LABELS unit
        ENVIRONMENT "LANG=en_US.UTF-8;LC_ALL=en_US.UTF-8")
endforeach()
