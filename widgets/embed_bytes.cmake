# Writes OUTPUT, a C++ source defining `std::string_view FUNCTION()` that returns the bytes of
# INPUT, so a resource file becomes part of the library; no bytes when INPUT does not exist.
# Run with cmake -P.
set(hex "")
if(EXISTS "${INPUT}")
    file(READ "${INPUT}" hex HEX)
endif()
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
# Sixteen bytes to a line.
set(bytes "")
set(offset 0)
while(offset LESS hex_length)
    string(SUBSTRING "${hex}" ${offset} 32 line)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," line "${line}")
    string(APPEND bytes "    ${line}\n")
    math(EXPR offset "${offset} + 32")
endwhile()
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT} by embed_bytes.cmake; do not edit.
#include <string_view>

namespace {
constexpr char kBytes[] = {
${bytes}    '\\0'};
}  // namespace

std::string_view ${FUNCTION}() { return std::string_view(kBytes, ${size}); }
")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
