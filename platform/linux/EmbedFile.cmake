# Writes OUTPUT, a C++ source that defines the bytes of INPUT as SYMBOL and their number as
# SYMBOLSize, declared in HEADER. Run as: cmake -DINPUT=... -DOUTPUT=... -DSYMBOL=... -DHEADER=...
# -P EmbedFile.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
# Twelve bytes a line.
set(bytes "")
set(offset 0)
while(offset LESS hexLength)
    string(SUBSTRING "${hex}" ${offset} 24 chunk)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1, " chunk "${chunk}")
    string(STRIP "${chunk}" chunk)
    string(APPEND bytes "    ${chunk}\n")
    math(EXPR offset "${offset} + 24")
endwhile()
if(size EQUAL 0)
    # An array needs one element; the size says there are none.
    set(bytes "    0x00,\n")
endif()
get_filename_component(inputName "${INPUT}" NAME)
file(WRITE "${OUTPUT}.new"
"// Generated from ${inputName} by EmbedFile.cmake at build time; changes here are lost.
#include \"${HEADER}\"

namespace kelvane {

const std::uint8_t ${SYMBOL}[] = {
${bytes}};
const std::size_t ${SYMBOL}Size = ${size};

}  // namespace kelvane
")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
