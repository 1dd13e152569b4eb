# The tests of what the install run leaves behind: shortcuts, the application's INI file and the
# registry. The round trip runs a complete installation of the small payload, embedded as this
# test program's FILESTREAM, so the program runs in a prefix of its own: the settings key it writes
# would be read by the forms of the other test programs at their start.
vq_win_test(settings_test OWN_PREFIX ${VQ_SETTINGS_TEST_SOURCES})
vq_archive_resource(settings_test ${CMAKE_BINARY_DIR}/SettingsTestPayload.rc ${VQ_SMALL_ARCHIVE})
add_dependencies(settings_test vq_small_archive VessasQuorin)
