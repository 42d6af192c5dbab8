# glimra_embed_resources(TARGET MANIFEST)
# Compiles the files that a manifest names into the target as byte arrays. Each manifest
# line reads "type id path" (path relative to the manifest; '#' starts a comment line).
# Lines of type STRINGTABLE name a UTF-8 file of "id text" lines that fills the string
# table instead. The generated function
#     void RegisterResources_<target>();
# (target name made a C identifier) registers everything with platform/resources.h; call
# it explicitly at start-up, since a static library would drop an object file that only
# registers itself.
#
# Run as a script (cmake -P) this file writes the generated source.

set(GLIMRA_RESOURCES_SCRIPT "${CMAKE_CURRENT_LIST_FILE}")

# Reads a manifest into the lists <prefix>_TYPES, <prefix>_IDS and <prefix>_PATHS.
function(_glimra_read_manifest manifest prefix)
  get_filename_component(base "${manifest}" DIRECTORY)
  file(STRINGS "${manifest}" lines)
  set(types "")
  set(ids "")
  set(paths "")
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line STREQUAL "" OR line MATCHES "^#")
      continue()
    endif()
    if(NOT line MATCHES "^([A-Za-z0-9_]+)[ \t]+(-?[0-9]+)[ \t]+(.+)$")
      message(FATAL_ERROR "${manifest}: cannot read the line '${line}'")
    endif()
    set(path "${CMAKE_MATCH_3}")
    if(NOT IS_ABSOLUTE "${path}")
      set(path "${base}/${path}")
    endif()
    list(APPEND types "${CMAKE_MATCH_1}")
    list(APPEND ids "${CMAKE_MATCH_2}")
    list(APPEND paths "${path}")
  endforeach()
  set(${prefix}_TYPES "${types}" PARENT_SCOPE)
  set(${prefix}_IDS "${ids}" PARENT_SCOPE)
  set(${prefix}_PATHS "${paths}" PARENT_SCOPE)
endfunction()

function(glimra_embed_resources target manifest)
  get_filename_component(manifest "${manifest}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${manifest}")
  _glimra_read_manifest("${manifest}" res)
  string(MAKE_C_IDENTIFIER "${target}" ident)
  set(output "${CMAKE_CURRENT_BINARY_DIR}/${ident}_resources.cpp")
  add_custom_command(OUTPUT "${output}"
    COMMAND "${CMAKE_COMMAND}" "-DGLIMRA_MANIFEST=${manifest}" "-DGLIMRA_OUTPUT=${output}"
            "-DGLIMRA_FUNCTION=RegisterResources_${ident}" -P "${GLIMRA_RESOURCES_SCRIPT}"
    DEPENDS "${manifest}" ${res_PATHS} "${GLIMRA_RESOURCES_SCRIPT}"
    COMMENT "Embedding the resources of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE "${output}")
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED GLIMRA_MANIFEST)
  _glimra_read_manifest("${GLIMRA_MANIFEST}" res)
  set(arrays "")
  set(calls "")
  set(index 0)
  foreach(type id path IN ZIP_LISTS res_TYPES res_IDS res_PATHS)
    if(NOT EXISTS "${path}")
      message(FATAL_ERROR "${GLIMRA_MANIFEST}: no file ${path}")
    endif()
    file(READ "${path}" hex HEX)
    string(LENGTH "${hex}" digits)
    math(EXPR size "${digits} / 2")
    # 32 bytes to a line keeps the generated source readable in a diff or a debugger.
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "((0x..,){32})" "\\1\n    " bytes "${bytes}")
    if(size EQUAL 0)
      set(bytes "0")
    endif()
    string(APPEND arrays "// ${path}\nconst std::uint8_t kResource${index}[] = {\n    ${bytes}\n};\n\n")
    if(type STREQUAL "STRINGTABLE")
      string(APPEND calls "    RegisterStringTable(kResource${index}, ${size});\n")
    else()
      string(APPEND calls "    RegisterResource(\"${type}\", ${id}, kResource${index}, ${size});\n")
    endif()
    math(EXPR index "${index} + 1")
  endforeach()
  set(text "// Generated from ${GLIMRA_MANIFEST}; do not edit.\n#include <cstdint>\n\n")
  string(APPEND text "#include \"platform/resources.h\"\n\nnamespace {\n\n${arrays}}  // namespace\n\n")
  string(APPEND text "void ${GLIMRA_FUNCTION}();\n\nvoid ${GLIMRA_FUNCTION}()\n{\n${calls}}\n")
  file(WRITE "${GLIMRA_OUTPUT}" "${text}")
endif()
