# The payload archive on Windows: extraction in the setup, ziplib.dll, the archives the setup
# and its tests carry, and the archive tests.
#
#   -DPAYLOAD=manifest   embed an archive built from this manifest (files relative to it)
#   -DARCHIVE=file       embed this archive byte for byte
# Without either the setup carries the project's own payload, payload/VQPayload.manifest.
set(PAYLOAD "" CACHE FILEPATH "Manifest of the payload VQSetup.exe carries (default: the project's own)")
set(ARCHIVE "" CACHE FILEPATH "Archive VQSetup.exe carries byte for byte (overrides PAYLOAD)")

target_sources(vqsetup_core PRIVATE
    src/archive/PackFileUnit.cpp
    src/archive/PackFileExtract.cpp
    src/archive/FileCompress.cpp
    src/archive/ResourceStream.cpp)

# ziplib.dll on Debian's static MinGW zlib, so that it too imports nothing but Windows.
find_library(VQ_MINGW_ZLIB NAMES libz.a z REQUIRED)
add_library(ziplib SHARED ziplib/ziplib.cpp ziplib/GzipCodec.cpp ziplib/ziplib.def)
set_target_properties(ziplib PROPERTIES PREFIX "" OUTPUT_NAME ziplib)
target_link_libraries(ziplib PRIVATE ${VQ_MINGW_ZLIB})
# It travels inside the archive; symbols would only make the setup larger.
target_link_options(ziplib PRIVATE -s)
add_test(NAME build.ziplib_system_imports_only
         COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-imports $<TARGET_FILE:ziplib>)

# For the tests only: the library as it was before its wide exports, which setups in the field
# may still carry. Without the .def, which names the wide exports too; dllexport alone gives the
# plain names on x64.
add_library(ziplib_ansi SHARED ziplib/ziplib.cpp ziplib/GzipCodec.cpp)
set_target_properties(ziplib_ansi PROPERTIES PREFIX "" OUTPUT_NAME ziplib_ansi)
target_compile_definitions(ziplib_ansi PRIVATE ZIPLIB_ANSI_ONLY=1)
target_link_libraries(ziplib_ansi PRIVATE ${VQ_MINGW_ZLIB})

# The archives are written by the host tools of the native tree.
if(NOT VQ_NATIVE_DIR)
    message(FATAL_ERROR "VQ_NATIVE_DIR must name the native build tree (it builds vqpack); use make build")
endif()
set(VQ_VQPACK ${VQ_NATIVE_DIR}/vqpack)
set(VQ_VQSTANDIN ${VQ_NATIVE_DIR}/vqstandin)

# Stages a payload description in the build tree (the manifest, its stand-ins from vqstandin,
# this tree's ziplib.dll, VessasQuorin.Exe, VQUninstall.Exe and the program icon under built/) and
# packs it.
function(vq_payload_archive name manifest standins archive)
    set(stage ${CMAKE_BINARY_DIR}/payload/${name})
    get_filename_component(manifest_name ${manifest} NAME)
    set(standin_stamp ${stage}/standin.stamp)
    add_custom_command(OUTPUT ${standin_stamp}
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}/standin
        COMMAND ${VQ_VQSTANDIN} ${standins} ${stage}
        COMMAND ${CMAKE_COMMAND} -E touch ${standin_stamp}
        DEPENDS ${standins} ${VQ_VQSTANDIN}
        COMMENT "Writing the stand-ins of the ${name} payload"
        VERBATIM)
    add_custom_command(OUTPUT ${archive}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/built
        COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:ziplib> $<TARGET_FILE:VessasQuorin> $<TARGET_FILE:VQUninstall>
                ${stage}/built/
        COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/src/resources/VQSetup.ico ${stage}/built/VQ_Icon.Ico
        COMMAND ${CMAKE_COMMAND} -E copy ${manifest} ${stage}/${manifest_name}
        COMMAND ${VQ_VQPACK} build ${stage}/${manifest_name} ${archive}
        DEPENDS ${manifest} ${standin_stamp} ${VQ_VQPACK} ziplib VessasQuorin VQUninstall
                ${CMAKE_SOURCE_DIR}/src/resources/VQSetup.ico
        COMMENT "Packing the ${name} payload"
        VERBATIM)
endfunction()

set(VQ_SMALL_ARCHIVE ${CMAKE_BINARY_DIR}/payload/VQPayloadSmall.vqa)
vq_payload_archive(small ${CMAKE_SOURCE_DIR}/payload/small/VQPayloadSmall.manifest
                   ${CMAKE_SOURCE_DIR}/payload/small/StandIns.txt ${VQ_SMALL_ARCHIVE})

# Each source of the archive has its own file, so that going back to the project's payload never
# finds a foreign archive under the project's name and takes it for up to date.
if(ARCHIVE OR PAYLOAD)
    set(VQ_SETUP_ARCHIVE ${CMAKE_BINARY_DIR}/payload/FILESTREAM-custom.vqa)
else()
    set(VQ_SETUP_ARCHIVE ${CMAKE_BINARY_DIR}/payload/FILESTREAM.vqa)
endif()
if(ARCHIVE)
    # Copied only when it changed, so an unchanged archive does not relink the setup.
    add_custom_target(vq_setup_archive_copy
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ARCHIVE} ${VQ_SETUP_ARCHIVE}
        BYPRODUCTS ${VQ_SETUP_ARCHIVE} VERBATIM)
    set(VQ_SETUP_ARCHIVE_DEPENDS vq_setup_archive_copy)
elseif(PAYLOAD)
    # A foreign manifest's source files are not known to the build, so it is packed on every build
    # and taken over only when the archive changed.
    add_custom_target(vq_setup_archive_pack
        COMMAND ${VQ_VQPACK} build ${PAYLOAD} ${VQ_SETUP_ARCHIVE}.new
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${VQ_SETUP_ARCHIVE}.new ${VQ_SETUP_ARCHIVE}
        COMMAND ${CMAKE_COMMAND} -E rm -f ${VQ_SETUP_ARCHIVE}.new
        BYPRODUCTS ${VQ_SETUP_ARCHIVE}
        COMMENT "Packing the payload ${PAYLOAD}" VERBATIM)
    set(VQ_SETUP_ARCHIVE_DEPENDS vq_setup_archive_pack)
else()
    vq_payload_archive(full ${CMAKE_SOURCE_DIR}/payload/VQPayload.manifest
                       ${CMAKE_SOURCE_DIR}/payload/StandIns.txt ${VQ_SETUP_ARCHIVE})
    add_custom_target(vq_setup_archive DEPENDS ${VQ_SETUP_ARCHIVE})
    set(VQ_SETUP_ARCHIVE_DEPENDS vq_setup_archive)
endif()

# The resource compiler reads the archive by path; the .rc only names it.
function(vq_archive_resource target rc archive)
    file(CONFIGURE OUTPUT ${rc} CONTENT "FILESTREAM RCDATA \"${archive}\"\n")
    target_sources(${target} PRIVATE ${rc})
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${archive})
endfunction()

vq_archive_resource(VQSetup ${CMAKE_BINARY_DIR}/Payload.rc ${VQ_SETUP_ARCHIVE})
add_dependencies(VQSetup ${VQ_SETUP_ARCHIVE_DEPENDS})

add_custom_target(vq_small_archive DEPENDS ${VQ_SMALL_ARCHIVE})
vq_win_test(archive_test tests/win/ArchiveTest.cpp tests/win/WidePathTest.cpp tests/win/WineDrives.cpp)
target_link_libraries(archive_test PRIVATE vq_testmain)
vq_archive_resource(archive_test ${CMAKE_BINARY_DIR}/ArchiveTestPayload.rc ${VQ_SMALL_ARCHIVE})
add_dependencies(archive_test vq_small_archive VQSetup ziplib ziplib_ansi)
# The test reads the setup's archive back out of VQSetup.exe; what it can expect of it depends on
# which payload was built in.
if(NOT ARCHIVE AND NOT PAYLOAD)
    target_compile_definitions(archive_test PRIVATE VQ_PROJECT_PAYLOAD=1)
endif()
target_include_directories(archive_test PRIVATE tests/native)

# The install run against the small payload, embedded as this test program's FILESTREAM.
vq_win_test(install_test tests/win/InstallTest.cpp)
target_link_libraries(install_test PRIVATE vq_testmain)
vq_archive_resource(install_test ${CMAKE_BINARY_DIR}/InstallTestPayload.rc ${VQ_SMALL_ARCHIVE})
add_dependencies(install_test vq_small_archive VessasQuorin)
target_include_directories(install_test PRIVATE tests/native)
