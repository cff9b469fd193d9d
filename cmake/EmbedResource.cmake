# cmake -DINPUT=<file> -DNAME=<resource name> -DOUTPUT=<file.cpp> -P EmbedResource.cmake
# Writes a source file that holds the bytes of INPUT and registers them as the embedded resource
# NAME when the plug-in is loaded.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){32})" "\\1\n" bytes "${bytes}")
string(MAKE_C_IDENTIFIER "${NAME}" id)
file(WRITE ${OUTPUT} "// Generated from ${NAME}: do not edit.
#include \"framework/plugin/IPluginPaths.h\"

namespace
{
alignas(8) const unsigned char k_${id}[] = {
${bytes}
};
const plugin::EmbeddedResourceRegistrar r_${id}(\"${NAME}\", k_${id}, ${size});
} // namespace
")
