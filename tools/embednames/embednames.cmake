# Writes one C++ source holding the field-name files of data/names as
# constant texts, in catalogue order, for the layout library.
#
#   cmake -DNAMES_DIR=<data/names> -DOUT=<file.cpp> -DTABLES=<name>=<file>,... -P embednames.cmake
#
# The texts are embedded unchanged; src/layout/names.cpp reads them.
if(NOT NAMES_DIR OR NOT OUT OR NOT TABLES)
  message(FATAL_ERROR "embednames: NAMES_DIR, OUT and TABLES are required")
endif()
string(REPLACE "," ";" TABLES "${TABLES}")

set(body "// Generated from data/names by tools/embednames/embednames.cmake; do not edit.\n")
string(APPEND body "#include \"layout/names.hpp\"\n\n#include <array>\n\nnamespace marlune::layout {\n\n")
string(APPEND body "std::span<const NamesText> names_texts() noexcept {\n")
list(LENGTH TABLES count)
string(APPEND body "    static constexpr std::array<NamesText, ${count}> texts{{\n")
foreach(entry IN LISTS TABLES)
  string(REPLACE "=" ";" pair "${entry}")
  list(GET pair 0 table)
  list(GET pair 1 file)
  file(READ "${NAMES_DIR}/${file}.txt" text)
  if(text MATCHES "\\)names\"")
    message(FATAL_ERROR "embednames: ${file}.txt holds the literal delimiter")
  endif()
  string(APPEND body "        {\"${table}\", R\"names(${text})names\"},\n")
endforeach()
string(APPEND body "    }};\n    return texts;\n}\n\n}  // namespace marlune::layout\n")
file(WRITE "${OUT}.tmp" "${body}")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
