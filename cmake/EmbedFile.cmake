# trelvin2_embed_file(target file symbol): compiles FILE into TARGET as a byte array
#   const unsigned char SYMBOL[]; const std::size_t SYMBOL_size;
# regenerated whenever the file changes. No Qt resource system: the core stays Qt-free.
function(trelvin2_embed_file target file symbol)
  set(out ${CMAKE_BINARY_DIR}/generated/${symbol}.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DIN=${file} -DOUT=${out} -DSYMBOL=${symbol}
            -P ${CMAKE_SOURCE_DIR}/cmake/embed_file_script.cmake
    DEPENDS ${file} ${CMAKE_SOURCE_DIR}/cmake/embed_file_script.cmake
    COMMENT "Embedding ${file}")
  target_sources(${target} PRIVATE ${out})
endfunction()
