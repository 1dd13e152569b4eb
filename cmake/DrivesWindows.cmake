# Drive information: the drive records behind the removable-drive page, and their test.
target_sources(vqsetup_core PRIVATE src/services/IEDriveInfo.cpp)

vq_win_test(drive_test tests/win/DriveInfoTest.cpp tests/win/WineDrives.cpp)
target_link_libraries(drive_test PRIVATE vq_testmain)
# The test defines drives in the shared Wine prefix for a moment; a test that lists the drives
# must not see them, so such tests take the same lock.
set_tests_properties(win.drive_test PROPERTIES RESOURCE_LOCK wine_drives)

# The drive page end to end: a complete installation of the small payload onto a simulated stick,
# with a current-user registry of its own so the settings it writes stay with this program.
target_sources(drive_test PRIVATE tests/win/UserRegistrySandbox.cpp)
vq_archive_resource(drive_test ${CMAKE_BINARY_DIR}/DriveTestPayload.rc ${VQ_SMALL_ARCHIVE})
add_dependencies(drive_test vq_small_archive VessasQuorin)
