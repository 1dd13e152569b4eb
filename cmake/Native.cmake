# Host build: the tools a release engineer runs on Linux and the pure logic of the setup,
# tested under AddressSanitizer and UndefinedBehaviorSanitizer.
option(VQ_SANITIZE "Build native tests with ASan and UBSan" ON)

add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(VQ_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)

add_library(vq_portable STATIC ${VQ_PORTABLE_SOURCES})
target_include_directories(vq_portable PUBLIC src)
vq_own_code(vq_portable)

# label: unit, e2e, fuzz or build (make unit runs the first).
function(vq_native_test name label)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE vq_portable_san GTest::gtest_main)
    vq_own_code(${name})
    add_test(NAME native.${name} COMMAND ${name})
    set_tests_properties(native.${name} PROPERTIES LABELS ${label})
endfunction()

# The sanitized twin of the portable library, used only by the native tests.
add_library(vq_portable_san STATIC ${VQ_PORTABLE_SOURCES})
target_include_directories(vq_portable_san PUBLIC src)
vq_own_code(vq_portable_san)
if(VQ_SANITIZE)
    target_compile_options(vq_portable_san PUBLIC ${VQ_SANITIZER_FLAGS})
    target_link_options(vq_portable_san PUBLIC ${VQ_SANITIZER_FLAGS})
endif()

vq_native_test(language_native_test unit ${VQ_LANGUAGE_NATIVE_TEST_SOURCES})
# It reads the names of the texts from their header.
target_compile_definitions(language_native_test PRIVATE VQ_SOURCE_DIR="${CMAKE_SOURCE_DIR}")

include(cmake/ArchiveNative.cmake)

# The install record's text format, which the setup writes and the uninstaller reads.
vq_native_test(install_record_native_test unit ${VQ_INSTALL_RECORD_NATIVE_TEST_SOURCES})
