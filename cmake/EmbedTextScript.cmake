# Run in script mode by zlm_embed_text: INPUT, OUTPUT, SYMBOL.
# Every byte becomes a \xNN escape, so the text comes out byte for byte
# whatever it holds (quotes, backslashes, UTF-8, line endings).
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_len)
math(EXPR size "${hex_len} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" escaped "${hex}")
# 32 bytes a line keeps the generated file readable for compilers and diffs.
string(REGEX REPLACE "((\\\\x[0-9a-f][0-9a-f]){32})" "\\1\"\n\"" escaped "${escaped}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT}; do not edit.\n"
"#include <cstddef>\n"
"extern const char ${SYMBOL}[];\n"
"extern const std::size_t ${SYMBOL}Size;\n"
"const char ${SYMBOL}[] =\n\"${escaped}\";\n"
"const std::size_t ${SYMBOL}Size = ${size};\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
