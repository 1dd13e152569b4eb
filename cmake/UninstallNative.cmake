# The install record's text format on the host, under ASan and UBSan.
vq_native_test(install_record_native_test tests/native/InstallRecordTest.cpp src/engine/InstallRecord.cpp)
