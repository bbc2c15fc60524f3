# corvane_form_resources(<target> <file>...)
#
# Embeds form resources into <target>: each file (UTF-8 text, named after
# the class it describes, e.g. TfrmDemo.form) becomes a generated source
# holding its bytes that registers the resource under the file's base name
# with the library the target ends up in (platform/ui/FormResource.h).
set(CORVANE_EMBED_RESOURCE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/EmbedResource.cmake)

function(corvane_form_resources target)
  foreach(file IN LISTS ARGN)
    get_filename_component(input ${file} ABSOLUTE)
    get_filename_component(name ${file} NAME_WE)
    file(RELATIVE_PATH source ${CMAKE_SOURCE_DIR} ${input})
    set(output ${CMAKE_CURRENT_BINARY_DIR}/form_resources/${name}.cpp)
    add_custom_command(
      OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DNAME=${name} -DSOURCE=${source}
              -P ${CORVANE_EMBED_RESOURCE_SCRIPT}
      DEPENDS ${input} ${CORVANE_EMBED_RESOURCE_SCRIPT}
      COMMENT "Embedding form resource ${source}"
      VERBATIM)
    target_sources(${target} PRIVATE ${output})
  endforeach()
endfunction()
