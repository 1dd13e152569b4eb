# Compiler and linker settings that both trees share: the warnings of the project's own code, and
# what keeps two builds of the same sources byte for byte the same.

# Warnings are errors in the project's own targets, so a new one cannot pile up unnoticed.
# GoogleTest is built with its own settings: its warnings are not ours to fix.
option(VQ_WERROR "Treat the warnings of the project's own code as errors" ON)
function(vq_own_code target)
    target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${VQ_WERROR}>:-Werror>)
endfunction()

# A build must not depend on where its tree lies: __FILE__, assertion texts and debug information
# would otherwise carry the absolute source and build folders into the binaries, and the same
# sources built in another folder would give other bytes. Both are written relative instead.
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
