# cmake -DINPUT=<file> -DNAME=<resource name> -DOUTPUT=<file.cpp> -P EmbedResource.cmake
# cmake -DINPUT_DIR=<folder> -DOUTPUT=<file.cpp> -P EmbedResource.cmake
# Writes a source file that holds the bytes of INPUT (or of every file in INPUT_DIR, each under
# its file name) and registers them as embedded resources when the plug-in is loaded.

# Appends to out_var the array and registrar of one file.
function(embed_one_resource file name out_var)
  file(READ ${file} hex HEX)
  string(LENGTH "${hex}" hexLength)
  math(EXPR size "${hexLength} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){32})" "\\1\n" bytes "${bytes}")
  string(MAKE_C_IDENTIFIER "${name}" id)
  set(${out_var} "${${out_var}}alignas(8) const unsigned char k_${id}[] = {
${bytes}
};
const plugin::EmbeddedResourceRegistrar r_${id}(\"${name}\", k_${id}, ${size});
" PARENT_SCOPE)
endfunction()

set(body "")
if(DEFINED INPUT_DIR)
  file(GLOB files LIST_DIRECTORIES false ${INPUT_DIR}/*)
  list(SORT files)
  if(NOT files)
    message(FATAL_ERROR "No resources in ${INPUT_DIR}")
  endif()
  foreach(file IN LISTS files)
    get_filename_component(name ${file} NAME)
    embed_one_resource(${file} ${name} body)
  endforeach()
  set(origin "the files of ${INPUT_DIR}")
else()
  embed_one_resource(${INPUT} ${NAME} body)
  set(origin "${NAME}")
endif()

file(WRITE ${OUTPUT} "// Generated from ${origin}: do not edit.
#include \"framework/core/IPluginPaths.h\"

namespace
{
${body}} // namespace
")
