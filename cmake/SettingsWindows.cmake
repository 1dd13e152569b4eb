# Shortcuts, the application's INI file and the registry: what the install run leaves behind.
# The settings reader is shared with the uninstaller, which takes its language and, for an installation
# without a record, its folders from them.
target_sources(vq_common PRIVATE src/engine/SettingsUnit.cpp)

# Their tests; the round trip runs a complete installation of the small payload, embedded as this
# test program's FILESTREAM.
vq_win_test(settings_test tests/win/LinksTest.cpp tests/win/IniFileTest.cpp tests/win/RegistryTest.cpp)
target_link_libraries(settings_test PRIVATE vq_testmain)
vq_archive_resource(settings_test ${CMAKE_BINARY_DIR}/SettingsTestPayload.rc ${VQ_SMALL_ARCHIVE})
add_dependencies(settings_test vq_small_archive VessasQuorin)

# The install run now leaves the current user's settings key behind, which the forms of the other
# test programs in the same prefix read at their start: the installing test program keeps its
# current-user registry to itself.
target_sources(install_test PRIVATE tests/win/UserRegistrySandbox.cpp)
