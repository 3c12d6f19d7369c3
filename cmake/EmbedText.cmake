# zlm_embed_text(<out_cpp> <input_file> <symbol>)
# Generates a translation unit holding the input file's bytes, unchanged, as a
# NUL-terminated char array <symbol> and its byte count <symbol>Size.
function(zlm_embed_text out_cpp input_file symbol)
  add_custom_command(
    OUTPUT ${out_cpp}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input_file} -DOUTPUT=${out_cpp} -DSYMBOL=${symbol}
            -P ${ZLM_CMAKE_DIR}/EmbedTextScript.cmake
    DEPENDS ${input_file} ${ZLM_CMAKE_DIR}/EmbedTextScript.cmake
    COMMENT "Embedding ${input_file}"
    VERBATIM)
endfunction()
