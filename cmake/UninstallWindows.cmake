# The uninstaller and the install record: the record's tests against the small payload.

# The install run's record, with a complete installation of the small payload embedded as this test
# program's FILESTREAM; each case keeps both registry roots to itself.
vq_win_test(record_test tests/win/InstallRecordTest.cpp)
target_link_libraries(record_test PRIVATE vq_testmain)
vq_archive_resource(record_test ${CMAKE_BINARY_DIR}/RecordTestPayload.rc ${VQ_SMALL_ARCHIVE})
add_dependencies(record_test vq_small_archive)
