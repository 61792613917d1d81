# harkola_embed_files(TARGET <target> OUTPUT <name.cpp> FILES <file>...)
# Compiles the given files byte for byte into <target>. At run time
# harkola::embeddedFile("<file name>") returns the bytes (see src/data/EmbeddedFiles.h).
function(harkola_embed_files)
  cmake_parse_arguments(E "" "TARGET;OUTPUT" "FILES" ${ARGN})
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${E_OUTPUT})
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DOUT=${out} "-DFILES=${E_FILES}" -P ${PROJECT_SOURCE_DIR}/cmake/EmbedScript.cmake
    DEPENDS ${E_FILES} ${PROJECT_SOURCE_DIR}/cmake/EmbedScript.cmake
    COMMENT "Embedding default files"
    VERBATIM)
  target_sources(${E_TARGET} PRIVATE ${out})
  # The command only gets a build rule through a target of the directory that calls
  # this function; the library itself is made elsewhere, so give it one here.
  string(MAKE_C_IDENTIFIER "${E_TARGET}_${E_OUTPUT}" gen)
  add_custom_target(${gen} DEPENDS ${out})
  add_dependencies(${E_TARGET} ${gen})
endfunction()
