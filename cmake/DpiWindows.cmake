# Display scales: the DPI services and the pictures drawn for each scale, and their test program
# run at four scales, each in a Wine prefix of its own (Wine reads the DPI once per process).
target_sources(vqsetup_core PRIVATE src/services/Dpi.cpp src/services/ScaledImages.cpp)

add_executable(scale_test tests/win/ScaleTest.cpp tests/win/TextFitTest.cpp tests/win/ScaleSupport.cpp ${VQ_RESOURCES})
target_link_libraries(scale_test PRIVATE vqsetup_core vq_testmain GTest::gtest)
target_include_directories(scale_test PRIVATE tests/win)
foreach(dpi 96 120 144 192)
    add_test(NAME win.scale_test.dpi${dpi} COMMAND ${CMAKE_SOURCE_DIR}/scripts/with-dpi ${dpi} $<TARGET_FILE:scale_test>)
    set_tests_properties(win.scale_test.dpi${dpi} PROPERTIES TIMEOUT 300
        ENVIRONMENT "LANG=en_US.UTF-8;LC_ALL=en_US.UTF-8")
endforeach()
