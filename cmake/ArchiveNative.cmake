# The payload archive on the host: the portable reader, the archive builder vqpack, the stand-in
# writer vqstandin, their tests under ASan/UBSan and a fuzzer for the reader.
find_package(ZLIB REQUIRED)

add_library(vq_archive STATIC ${VQ_ARCHIVE_SOURCES})
target_link_libraries(vq_archive PUBLIC vq_portable)

add_library(vq_gzip STATIC ${VQ_GZIP_SOURCES})
target_include_directories(vq_gzip PUBLIC ziplib)
target_link_libraries(vq_gzip PUBLIC ZLIB::ZLIB)

add_executable(vqpack ${VQ_VQPACK_SOURCES})
target_include_directories(vqpack PRIVATE tools/vqpack)
target_link_libraries(vqpack PRIVATE vq_archive vq_gzip)

add_executable(vqstandin ${VQ_VQSTANDIN_SOURCES})

foreach(target vq_archive vq_gzip vqpack vqstandin)
    vq_own_code(${target})
endforeach()

# The tests compile the sources themselves so that they carry the sanitizers of vq_portable_san.
vq_native_test(pack_file_native_test unit
    ${VQ_PACK_FILE_NATIVE_TEST_SOURCES} ${VQ_ARCHIVE_SOURCES} ${VQ_PACK_WRITER_SOURCES} ${VQ_GZIP_SOURCES})
target_include_directories(pack_file_native_test PRIVATE tools/vqpack ziplib)
target_link_libraries(pack_file_native_test PRIVATE ZLIB::ZLIB)

# libFuzzer needs clang; the rest of this tree is built by the default compiler, so the fuzzer is
# compiled by a command of its own. Without clang the tree does not configure: a fuzzer that
# quietly is not built is a test that quietly does not run.
option(VQ_FUZZ "Build the archive reader's fuzzer (needs clang; scripts/deps.sh installs it)" ON)
if(VQ_FUZZ)
    find_program(VQ_CLANGXX NAMES clang++ clang++-16 clang++-15 clang++-14)
    if(NOT VQ_CLANGXX)
        message(FATAL_ERROR "clang++ is missing, so the fuzzer cannot be built: run scripts/deps.sh "
                            "(make does), or configure with -DVQ_FUZZ=OFF to go without it")
    endif()
    set(fuzz_inputs ${VQ_PACK_FILE_FUZZER_SOURCES} ${VQ_ARCHIVE_SOURCES} ${VQ_PORTABLE_SOURCES})
    list(TRANSFORM fuzz_inputs PREPEND ${CMAKE_SOURCE_DIR}/)
    set(fuzz_sources ${fuzz_inputs})
    list(FILTER fuzz_sources INCLUDE REGEX "\\.cpp$")
    # Not named like its target: make would take the file for the target and drop the rule.
    set(VQ_FUZZER ${CMAKE_BINARY_DIR}/fuzz/pack_file_fuzzer)
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    add_custom_command(OUTPUT ${VQ_FUZZER}
        COMMAND ${VQ_CLANGXX} -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
                -Wall -Wextra $<$<BOOL:${VQ_WERROR}>:-Werror>
                -ffile-prefix-map=${CMAKE_SOURCE_DIR}/= -I${CMAKE_SOURCE_DIR}/src ${fuzz_sources} -o ${VQ_FUZZER}
        DEPENDS ${fuzz_inputs}
        COMMENT "Building the archive reader's fuzzer with clang"
        VERBATIM)
    add_custom_target(pack_file_fuzzer ALL DEPENDS ${VQ_FUZZER})

    # make test: a few seconds from the checked-in seeds, into a corpus that starts empty each time,
    # so the run does not grow the checked-in one. make fuzz: the long run (scripts/fuzz), whose
    # corpus stays in fuzz/corpus between runs. A finding leaves its input in fuzz/findings/.
    add_test(NAME native.pack_file_fuzz_short
             COMMAND ${CMAKE_SOURCE_DIR}/scripts/fuzz ${VQ_FUZZER} ${CMAKE_BINARY_DIR}/fuzz short
                     ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus)
    set_tests_properties(native.pack_file_fuzz_short PROPERTIES TIMEOUT 60 LABELS fuzz)
endif()
