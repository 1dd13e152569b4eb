# What make release, make sign and make reproducible work from.

# make release builds what ships and nothing else.
add_custom_target(vq_release DEPENDS VQSetup ${VQ_PAYLOAD_TARGETS})

# The setup around the archive of signed payload programs: scripts/sign-release signs the payload
# programs, packs them into this archive and then builds this target, which is the same program
# as VQSetup.exe with only the archive differing. Not built otherwise: the archive exists only
# while signing.
set(VQ_SIGNED_DIR ${CMAKE_BINARY_DIR}/signed)
add_executable(VQSetupSigned WIN32 EXCLUDE_FROM_ALL $<TARGET_OBJECTS:vqsetup_main> ${VQ_RESOURCE_SOURCES})
set_target_properties(VQSetupSigned PROPERTIES OUTPUT_NAME VQSetup RUNTIME_OUTPUT_DIRECTORY ${VQ_SIGNED_DIR})
target_link_libraries(VQSetupSigned PRIVATE vqsetup_core)
target_link_options(VQSetupSigned PRIVATE ${VQ_SETUP_LINK_OPTIONS})
vq_archive_resource(VQSetupSigned ${CMAKE_BINARY_DIR}/SignedPayload.rc ${VQ_SIGNED_DIR}/FILESTREAM.vqa)

# The list of what ships, one KIND=path line each, for the scripts: setup (VQSetup.exe), payload
# (the programs inside the archive, in vq_ship order), archive (the archive VQSetup.exe carries),
# and what signing needs: the stage the archive was packed from (the project's payload only),
# vqpack, and where the signed archive and setup go.
get_property(shipped GLOBAL PROPERTY VQ_SHIPPED_LINES)
list(APPEND shipped "archive=${VQ_SETUP_ARCHIVE}")
if(VQ_SETUP_STAGE_MANIFEST)
    list(APPEND shipped "stage=${VQ_SETUP_STAGE_MANIFEST}")
endif()
list(APPEND shipped "vqpack=${VQ_VQPACK}" "signed_archive=${VQ_SIGNED_DIR}/FILESTREAM.vqa"
                    "signed_setup=$<TARGET_FILE:VQSetupSigned>")
list(JOIN shipped "\n" shipped)
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/shipped.txt CONTENT "${shipped}\n")

# The signing round trip with a throwaway certificate: the signatures cover the files, one
# altered byte breaks them, the unsigned build is left as it was, and the published way of
# verifying a release gives back the signed setup byte for byte.
add_test(NAME build.signing_round_trip
         COMMAND ${CMAKE_SOURCE_DIR}/scripts/test-signing ${CMAKE_BINARY_DIR})
set_tests_properties(build.signing_round_trip PROPERTIES LABELS build TIMEOUT 300 RESOURCE_LOCK vq_signed_dir)
