# The compiled-in directory catalogue.
#
# data/catalogue/*.txt are the single source of truth (written by
# tools/transcribe from the UN directory files).  At build time the host
# program gencatalogue checks each data file, compiles every definition into
# its table of fields and writes the rows of all tables (each text once) and
# the tables themselves under ${PROJECT_BINARY_DIR}/generated/directory; those
# sources and the hand-written index form the static library
# marlune_catalogue.

add_executable(gencatalogue ${PROJECT_SOURCE_DIR}/tools/gencatalogue/gencatalogue.cpp)
target_compile_features(gencatalogue PRIVATE cxx_std_20)
# The generator compiles definitions with the program's own reader.
target_include_directories(gencatalogue PRIVATE ${PROJECT_SOURCE_DIR}/src)

set(MARLUNE_CATALOGUE_DATA ${PROJECT_SOURCE_DIR}/data/catalogue)
set(MARLUNE_CATALOGUE_GEN ${PROJECT_BINARY_DIR}/generated/directory)
file(MAKE_DIRECTORY ${MARLUNE_CATALOGUE_GEN})

# data file (without .txt), directory function
set(MARLUNE_CATALOGUE_TABLES
  881 dir881
  902 dir902
  911 dir911
  912 dir912
  921 dir921
  932 dir932
  D93A dirD_93A
  S93A dirS_93A
  D94A dirD_94A
  D94B dirD_94B
  D95A dirD_95A
  D95B dirD_95B
  D96A dirD_96A
  D96B dirD_96B
  D97A dirD_97A
  D97B dirD_97B
  D98A dirD_98A
  D98B dirD_98B
  D99A dirD_99A
  I96B dirI_96B
  I97A dirI_97A
  I97B dirI_97B
  I98A dirI_98A
  I98B dirI_98B
  I99A dirI_99A
  default default_segment
)
# The releases after D.99A (as MARLUNE_RELEASES_AFTER_99A in catalogue.hpp):
# a batch and an interactive directory each.
set(MARLUNE_RELEASES_AFTER_99A
  99B 00A 00B 01A 01B 01C 02A 02B 03A 03B 04A 04B 05A 05B 06A 06B 07A 07B 08A 08B
  09A 09B 10A 10B 11A 11B 12A 12B 13A 13B 14A 14B 15A 15B 16A 16B 17A 17B 18A 18B
  19A 19B 20A 20B 21A 21B 22A 22B 23A 24A)
foreach(_release IN LISTS MARLUNE_RELEASES_AFTER_99A)
  list(APPEND MARLUNE_CATALOGUE_TABLES D${_release} dirD_${_release} I${_release} dirI_${_release})
endforeach()

# One run of the generator compiles every table, so that rows of the same
# text, and rows with the same fields, are stored once across tables.
set(MARLUNE_CATALOGUE_SOURCES
  ${MARLUNE_CATALOGUE_GEN}/catalogue_rows.cpp
  ${MARLUNE_CATALOGUE_GEN}/catalogue_tables.cpp)
set(MARLUNE_CATALOGUE_INPUTS)
set(MARLUNE_CATALOGUE_ARGS)
list(LENGTH MARLUNE_CATALOGUE_TABLES _marlune_cat_len)
math(EXPR _marlune_cat_last "${_marlune_cat_len} - 1")
foreach(_i RANGE 0 ${_marlune_cat_last} 2)
  math(EXPR _j "${_i} + 1")
  list(GET MARLUNE_CATALOGUE_TABLES ${_i} _data)
  list(GET MARLUNE_CATALOGUE_TABLES ${_j} _function)
  list(APPEND MARLUNE_CATALOGUE_INPUTS ${MARLUNE_CATALOGUE_DATA}/${_data}.txt)
  list(APPEND MARLUNE_CATALOGUE_ARGS ${MARLUNE_CATALOGUE_DATA}/${_data}.txt ${_function})
endforeach()
add_custom_command(
  OUTPUT ${MARLUNE_CATALOGUE_SOURCES}
  COMMAND gencatalogue ${MARLUNE_CATALOGUE_GEN} ${MARLUNE_CATALOGUE_ARGS}
  DEPENDS gencatalogue ${MARLUNE_CATALOGUE_INPUTS}
  COMMENT "Compiling the directory tables from data/catalogue"
  VERBATIM)

add_library(marlune_catalogue STATIC
  ${MARLUNE_CATALOGUE_SOURCES}
  ${PROJECT_SOURCE_DIR}/src/directory/catalogue.cpp)
target_include_directories(marlune_catalogue PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_compile_features(marlune_catalogue PUBLIC cxx_std_20)
