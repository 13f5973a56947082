# Turns the compiled resource file into a C++ array for the stand-in.
file(READ ${IN} HEX HEX)
string(LENGTH "${HEX}" N)
math(EXPR COUNT "${N} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," BODY "${HEX}")
file(WRITE ${OUT} "#include <cstddef>\nextern const unsigned char g_resourceBlob[] = {${BODY}};\nextern const size_t g_resourceBlobSize = ${COUNT};\n")
