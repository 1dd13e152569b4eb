# The payload archive on the host: the portable reader, the archive builder vqpack, the stand-in
# writer vqstandin, their tests under ASan/UBSan and, with clang, a fuzzer for the reader.
find_package(ZLIB REQUIRED)

add_library(vq_archive STATIC src/archive/PackFileUnit.cpp)
target_link_libraries(vq_archive PUBLIC vq_portable)

add_library(vq_gzip STATIC ziplib/GzipCodec.cpp)
target_include_directories(vq_gzip PUBLIC ziplib)
target_link_libraries(vq_gzip PUBLIC ZLIB::ZLIB)

foreach(lib vq_archive vq_gzip)
    target_compile_options(${lib} PRIVATE -Wall -Wextra)
endforeach()

add_executable(vqpack tools/vqpack/vqpack.cpp tools/vqpack/PackWriter.cpp)
target_include_directories(vqpack PRIVATE tools/vqpack)
target_link_libraries(vqpack PRIVATE vq_archive vq_gzip)
target_compile_options(vqpack PRIVATE -Wall -Wextra)

add_executable(vqstandin tools/vqpack/StandIns.cpp)
target_compile_options(vqstandin PRIVATE -Wall -Wextra)

# The tests compile the sources themselves so that they carry the sanitizers of vq_portable_san.
vq_native_test(pack_file_native_test
    tests/native/PackFileLoadTest.cpp
    tests/native/PackFileWriterTest.cpp
    src/archive/PackFileUnit.cpp
    tools/vqpack/PackWriter.cpp
    ziplib/GzipCodec.cpp)
target_include_directories(pack_file_native_test PRIVATE tools/vqpack ziplib)
target_link_libraries(pack_file_native_test PRIVATE ZLIB::ZLIB)

# libFuzzer needs clang; the rest of this tree is built by the default compiler, so the fuzzer is
# compiled by a command of its own.
find_program(VQ_CLANGXX NAMES clang++ clang++-16 clang++-15 clang++-14)
if(VQ_CLANGXX)
    set(fuzz_sources
        ${CMAKE_SOURCE_DIR}/tests/fuzz/PackFileFuzz.cpp
        ${CMAKE_SOURCE_DIR}/src/archive/PackFileUnit.cpp
        ${CMAKE_SOURCE_DIR}/src/texts/Cp1252.cpp)
    set(fuzzer ${CMAKE_BINARY_DIR}/pack_file_fuzzer)
    add_custom_command(OUTPUT ${fuzzer}
        COMMAND ${VQ_CLANGXX} -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
                -I${CMAKE_SOURCE_DIR}/src ${fuzz_sources} -o ${fuzzer}
        DEPENDS ${fuzz_sources}
                ${CMAKE_SOURCE_DIR}/src/archive/PackFileUnit.h ${CMAKE_SOURCE_DIR}/src/archive/ArchiveStream.h
        COMMENT "Building the archive reader's fuzzer with clang"
        VERBATIM)
    add_custom_target(pack_file_fuzzer ALL DEPENDS ${fuzzer})
    # A bounded run on every test pass; a finding leaves its input in fuzz/ for a rerun.
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    add_test(NAME native.pack_file_fuzz
             COMMAND ${fuzzer} -max_total_time=30 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
             WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    set_tests_properties(native.pack_file_fuzz PROPERTIES TIMEOUT 120)
endif()
