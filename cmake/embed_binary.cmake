# Turns a binary file into a C++ source holding its bytes, so the program carries the file's
# contents without reading it at run time. Run as:
#   cmake -DINPUT=file -DOUTPUT=out.cpp -DSYMBOL=name -DNAMESPACE=ns -DSIZE=n -P embed_binary.cmake
# SIZE, when given, is the exact size the file must have.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
if(DEFINED SIZE AND NOT size EQUAL SIZE)
  message(FATAL_ERROR "${INPUT} holds ${size} bytes, ${SIZE} expected")
endif()
# Sixteen bytes a line keeps the generated file readable.
set(bytes "")
set(offset 0)
while(offset LESS hex_length)
  string(SUBSTRING "${hex}" ${offset} 32 piece)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," piece "${piece}")
  string(APPEND bytes "    ${piece}\n")
  math(EXPR offset "${offset} + 32")
endwhile()
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${INPUT} at build time; do not edit.\n"
  "#include <array>\n#include <cstdint>\n\n"
  "namespace ${NAMESPACE} {\n\n"
  "extern const std::array<uint8_t, ${size}> ${SYMBOL};\n"
  "const std::array<uint8_t, ${size}> ${SYMBOL} = {\n${bytes}};\n\n"
  "}  // namespace ${NAMESPACE}\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
