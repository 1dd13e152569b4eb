# The uninstaller VQUninstall.Exe, built from src/uninstall on vq_common and packed into both
# payloads (vq_ship in cmake/Windows.cmake), and its tests and those of the install record.

# The files of the project's payload with their installed sizes, built into the uninstaller for an
# installation that has no record. Staged on their own, so that a build with another PAYLOAD or
# ARCHIVE still knows the project's list; the uninstaller's own size cannot be known before it is
# built and stays open.
set(VQ_ENTRIES_STAGE ${CMAKE_BINARY_DIR}/uninstall/payload)
set(VQ_PAYLOAD_ENTRIES ${CMAKE_BINARY_DIR}/uninstall/PayloadEntries.txt)
add_custom_command(OUTPUT ${VQ_PAYLOAD_ENTRIES}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${VQ_ENTRIES_STAGE}
    COMMAND ${VQ_VQSTANDIN} ${CMAKE_SOURCE_DIR}/payload/StandIns.txt ${VQ_ENTRIES_STAGE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VQ_ENTRIES_STAGE}/built
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:ziplib> $<TARGET_FILE:VessasQuorin> ${VQ_ENTRIES_STAGE}/built/
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/src/resources/VQSetup.ico ${VQ_ENTRIES_STAGE}/built/VQ_Icon.Ico
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/payload/VQPayload.manifest ${VQ_ENTRIES_STAGE}/
    COMMAND ${VQ_VQPACK} entries ${VQ_ENTRIES_STAGE}/VQPayload.manifest ${VQ_PAYLOAD_ENTRIES}
            --unsized built/VQUninstall.Exe
    DEPENDS ${CMAKE_SOURCE_DIR}/payload/VQPayload.manifest ${CMAKE_SOURCE_DIR}/payload/StandIns.txt
            ${VQ_VQPACK} ${VQ_VQSTANDIN} ziplib VessasQuorin ${CMAKE_SOURCE_DIR}/src/resources/VQSetup.ico
    COMMENT "Listing the payload's files for the uninstaller"
    VERBATIM)

# One target makes the list, so that the two programs embedding it never run its command at once.
add_custom_target(vq_payload_entries DEPENDS ${VQ_PAYLOAD_ENTRIES})

configure_file(src/uninstall/resources/VQUninstall.manifest.in ${VQ_GENERATED_DIR}/VQUninstall.manifest @ONLY)
set(VQ_UNINSTALL_ENTRIES_RC ${CMAKE_BINARY_DIR}/UninstallEntries.rc)
file(CONFIGURE OUTPUT ${VQ_UNINSTALL_ENTRIES_RC} CONTENT "PAYLOADENTRIES RCDATA \"${VQ_PAYLOAD_ENTRIES}\"\n")
set_source_files_properties(${VQ_UNINSTALL_ENTRIES_RC} PROPERTIES OBJECT_DEPENDS ${VQ_PAYLOAD_ENTRIES})
set_source_files_properties(${VQ_UNINSTALL_RESOURCE_SOURCES} PROPERTIES OBJECT_DEPENDS
    "${CMAKE_SOURCE_DIR}/src/resources/VQSetup.ico;${VQ_GENERATED_DIR}/VQVersion.h;${VQ_GENERATED_DIR}/VQUninstall.manifest")

# Everything of the uninstaller but its entry point, so that the tests drive the same code in-process.
add_library(vq_uninstall STATIC ${VQ_UNINSTALL_CORE_SOURCES})
target_link_libraries(vq_uninstall PUBLIC vq_common)
vq_own_code(vq_uninstall)

add_executable(VQUninstall WIN32 ${VQ_UNINSTALL_SOURCES} ${VQ_UNINSTALL_RESOURCE_SOURCES} ${VQ_UNINSTALL_ENTRIES_RC})
set_target_properties(VQUninstall PROPERTIES OUTPUT_NAME VQUninstall SUFFIX ".Exe")
target_link_libraries(VQUninstall PRIVATE vq_uninstall)
# Stripped, as the setup is: it travels inside the payload.
target_link_options(VQUninstall PRIVATE -municode -s)
add_dependencies(VQUninstall vq_payload_entries)
vq_own_code(VQUninstall)
add_dependencies(hardening_test VQUninstall)

# The install run's record, with a complete installation of the small payload embedded as this test
# program's FILESTREAM; each case keeps both registry roots to itself.
vq_win_test(record_test OWN_PREFIX ${VQ_RECORD_TEST_SOURCES})
vq_archive_resource(record_test ${CMAKE_BINARY_DIR}/RecordTestPayload.rc ${VQ_SMALL_ARCHIVE})
add_dependencies(record_test vq_small_archive)

# The removal rules and the uninstaller's window, in-process, against complete installations of the
# small payload; the uninstaller's entry list is built in as well. The recycle bin is Wine's trash,
# kept in the build tree instead of the runner's own.
vq_win_test(uninstall_test OWN_PREFIX ${VQ_UNINSTALL_TEST_SOURCES} ${VQ_UNINSTALL_ENTRIES_RC})
target_link_libraries(uninstall_test PRIVATE vq_uninstall)
vq_archive_resource(uninstall_test ${CMAKE_BINARY_DIR}/UninstallTestPayload.rc ${VQ_SMALL_ARCHIVE})
add_dependencies(uninstall_test vq_small_archive vq_payload_entries VessasQuorin)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/uninstall/trash)
set_property(TEST win.uninstall_test APPEND PROPERTY ENVIRONMENT "XDG_DATA_HOME=${CMAKE_BINARY_DIR}/uninstall/trash")
