file(READ ${IN} hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," body "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n  " body "${body}")
file(WRITE ${OUT}
  "// Generated from ${IN}. Do not edit.\n"
  "#include <cstddef>\n\n"
  "extern const unsigned char ${SYMBOL}[];\n"
  "extern const std::size_t ${SYMBOL}_size;\n"
  "const unsigned char ${SYMBOL}[] = {\n  ${body}\n};\n"
  "const std::size_t ${SYMBOL}_size = ${size};\n")
