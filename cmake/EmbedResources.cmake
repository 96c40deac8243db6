# Compiles every file under a folder into a static library as program resources.
# A file DIR/TYPE/NAME[.ext] becomes the resource NAME of type TYPE; a NAME made
# only of digits is an integer identifier. No generator beyond CMake is needed.
set(_VELORINA_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/EmbedResourcesScript.cmake)

function(velorina_embed_resources target dir)
  file(GLOB_RECURSE files CONFIGURE_DEPENDS LIST_DIRECTORIES false "${dir}/*/*")
  list(FILTER files EXCLUDE REGEX "/README[^/]*$")
  list(SORT files)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}.cpp)
  set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${target}.list)
  string(REPLACE ";" "\n" list_text "${files}")
  file(WRITE ${list_file}.tmp "${list_text}\n")
  file(COPY_FILE ${list_file}.tmp ${list_file} ONLY_IF_DIFFERENT)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DROOT=${dir} -DLIST=${list_file} -DOUT=${out}
            -P ${_VELORINA_EMBED_SCRIPT}
    DEPENDS ${files} ${list_file} ${_VELORINA_EMBED_SCRIPT}
    COMMENT "Embedding program resources"
    VERBATIM)
  add_library(${target} STATIC ${out})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
endfunction()
