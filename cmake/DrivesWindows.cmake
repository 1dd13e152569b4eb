# The drive records behind the removable-drive page, and their test. It defines drives in its
# prefix for a moment, which a test that lists the drives must not see, and ends with a complete
# installation of the small payload onto a simulated stick, with a current-user registry of its own
# (tests/win/UserRegistrySandbox.cpp); both keep it in a prefix of its own.
vq_win_test(drive_test OWN_PREFIX ${VQ_DRIVE_TEST_SOURCES})
vq_archive_resource(drive_test ${CMAKE_BINARY_DIR}/DriveTestPayload.rc ${VQ_SMALL_ARCHIVE})
add_dependencies(drive_test vq_small_archive VessasQuorin)
