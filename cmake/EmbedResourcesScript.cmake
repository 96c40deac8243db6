# Run with -DROOT=folder -DLIST=file-of-paths -DOUT=generated.cpp
file(STRINGS ${LIST} files)
set(body "")
set(table "")
set(index 0)
foreach(f IN LISTS files)
  if(f STREQUAL "")
    continue()
  endif()
  file(RELATIVE_PATH rel ${ROOT} ${f})
  string(REGEX MATCH "^([^/]+)/([^/.]+)" _ ${rel})
  set(type ${CMAKE_MATCH_1})
  set(name ${CMAKE_MATCH_2})
  file(SIZE ${f} size)
  file(READ ${f} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
  string(APPEND body "alignas(16) const unsigned char r${index}[] = {\n${bytes}0};\n")
  string(APPEND table "    {\"${type}\", \"${name}\", r${index}, ${size}},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE ${OUT}.tmp
"// Generated from data/resources by the build; do not edit.
#include \"archive/EmbeddedResources.h\"

namespace {
${body}
const velorina::EmbeddedResource kTable[] = {
${table}    {nullptr, nullptr, nullptr, 0}};
}  // namespace

namespace velorina {
std::span<const EmbeddedResource> embeddedResources() {
  return {kTable, ${index}};
}
}  // namespace velorina
")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
