# Host build: the tools a release engineer runs on Linux and the pure logic of the setup,
# tested under AddressSanitizer and UndefinedBehaviorSanitizer.
option(VQ_SANITIZE "Build native tests with ASan and UBSan" ON)

add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(VQ_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)

add_library(vq_portable STATIC
    src/texts/LanguageUnit.cpp
    src/texts/Languages.cpp
    src/texts/Cp1252.cpp
)
target_include_directories(vq_portable PUBLIC src)
target_compile_options(vq_portable PRIVATE -Wall -Wextra)

function(vq_native_test name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE vq_portable_san GTest::gtest_main)
    add_test(NAME native.${name} COMMAND ${name})
endfunction()

# The sanitized twin of the portable library, used only by the native tests.
add_library(vq_portable_san STATIC $<TARGET_PROPERTY:vq_portable,SOURCES>)
target_include_directories(vq_portable_san PUBLIC src)
if(VQ_SANITIZE)
    target_compile_options(vq_portable_san PUBLIC ${VQ_SANITIZER_FLAGS})
    target_link_options(vq_portable_san PUBLIC ${VQ_SANITIZER_FLAGS})
endif()

vq_native_test(language_native_test tests/native/LanguageUnitTest.cpp)
# It reads the names of the texts from their header.
target_compile_definitions(language_native_test PRIVATE VQ_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
include(cmake/ArchiveNative.cmake OPTIONAL)
include(cmake/UninstallNative.cmake OPTIONAL)
