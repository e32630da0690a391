# Writes OUTPUT, a C++ source defining zv::embedded::<name> and
# zv::embedded::<name>_size for every file NAME.bmp of INPUTS (a list of paths).
set(body "// Generated from resources/ at build time.\n#include <cstddef>\n\nnamespace zv::embedded {\n")
foreach(input IN LISTS INPUTS)
  get_filename_component(name ${input} NAME_WE)
  file(READ ${input} hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND body "extern const unsigned char ${name}[] = {${bytes}};\n")
  string(APPEND body "extern const std::size_t ${name}_size = ${size};\n")
endforeach()
string(APPEND body "} // namespace zv::embedded\n")
file(WRITE ${OUTPUT} "${body}")
