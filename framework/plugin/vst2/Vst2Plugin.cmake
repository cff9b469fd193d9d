# pelmora_vst2_plugin(<target> CLASS <class> HEADER <header> [OUTPUT_NAME <name>]
#                     [LIBRARIES <targets>...])
#
# Builds a VST2 plug-in .so: the entry functions, a factory MakePlug() that constructs one
# <class> (declared in <header>, a path from the repository root) per host instance, and the
# given libraries. Only VSTPluginMain and main are exported: everything else is hidden
# (-fvisibility=hidden, --exclude-libs for the static libraries, and a version script), so two
# plug-ins in one host never bind to each other's code.
set(PELMORA_VST2_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "The VST2 binding folder")

function(pelmora_vst2_plugin target)
  cmake_parse_arguments(ARG "" "CLASS;HEADER;OUTPUT_NAME" "LIBRARIES" ${ARGN})
  if(NOT ARG_CLASS OR NOT ARG_HEADER)
    message(FATAL_ERROR "pelmora_vst2_plugin(${target}): CLASS and HEADER are required")
  endif()
  if(NOT ARG_OUTPUT_NAME)
    set(ARG_OUTPUT_NAME ${target})
  endif()
  set(PLUG_CLASS ${ARG_CLASS})
  set(PLUG_HEADER ${ARG_HEADER})
  set(factory ${CMAKE_CURRENT_BINARY_DIR}/${target}_MakePlug.cpp)
  configure_file(${PELMORA_VST2_DIR}/entry/MakePlug.cpp.in ${factory} @ONLY)
  add_library(${target} MODULE ${PELMORA_VST2_DIR}/entry/Vst2Entry.cpp ${factory})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE ${ARG_LIBRARIES} pelmora_vst2)
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${ARG_OUTPUT_NAME}
                        LINK_DEPENDS ${PELMORA_VST2_DIR}/Vst2Exports.map)
  target_link_options(${target} PRIVATE -Wl,--exclude-libs,ALL
                      -Wl,--version-script=${PELMORA_VST2_DIR}/Vst2Exports.map -Wl,-z,defs)
endfunction()
