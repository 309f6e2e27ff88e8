# The compiled-in directory catalogue.
#
# data/catalogue/*.txt are the single source of truth (written by
# tools/transcribe from the UN directory files).  At build time the host
# program gencatalogue checks each data file, compiles every definition into
# its table of fields and writes one C++ source per data file, plus the
# shared field array, under ${PROJECT_BINARY_DIR}/generated/directory; those
# sources and the hand-written index form the static library
# marlune_catalogue.

add_executable(gencatalogue ${PROJECT_SOURCE_DIR}/tools/gencatalogue/gencatalogue.cpp)
target_compile_features(gencatalogue PRIVATE cxx_std_20)
# The generator compiles definitions with the program's own reader.
target_include_directories(gencatalogue PRIVATE ${PROJECT_SOURCE_DIR}/src)

set(MARLUNE_CATALOGUE_DATA ${PROJECT_SOURCE_DIR}/data/catalogue)
set(MARLUNE_CATALOGUE_GEN ${PROJECT_BINARY_DIR}/generated/directory)
file(MAKE_DIRECTORY ${MARLUNE_CATALOGUE_GEN})

# data file (without .txt), generated source (without .cpp), directory function
set(MARLUNE_CATALOGUE_TABLES
  881 dir881 dir881
  902 dir902 dir902
  911 dir911 dir911
  912 dir912 dir912
  921 dir921 dir921
  932 dir932 dir932
  D93A dirD_93A dirD_93A
  S93A dirS_93A dirS_93A
  D94A dirD_94A dirD_94A
  D94B dirD_94B dirD_94B
  D95A dirD_95A dirD_95A
  D95B dirD_95B dirD_95B
  D96A dirD_96A dirD_96A
  D96B dirD_96B dirD_96B
  D97A dirD_97A dirD_97A
  D97B dirD_97B dirD_97B
  D98A dirD_98A dirD_98A
  D98B dirD_98B dirD_98B
  D99A dirD_99A dirD_99A
  I96B dirI_96B dirI_96B
  I97A dirI_97A dirI_97A
  I97B dirI_97B dirI_97B
  I98A dirI_98A dirI_98A
  I98B dirI_98B dirI_98B
  I99A dirI_99A dirI_99A
  default default_segments default_segment
)

# One run of the generator compiles every table, so that rows with the same
# fields share them across tables (catalogue_fields.cpp).
set(MARLUNE_CATALOGUE_SOURCES ${MARLUNE_CATALOGUE_GEN}/catalogue_fields.cpp)
set(MARLUNE_CATALOGUE_INPUTS)
set(MARLUNE_CATALOGUE_ARGS)
list(LENGTH MARLUNE_CATALOGUE_TABLES _marlune_cat_len)
math(EXPR _marlune_cat_last "${_marlune_cat_len} - 1")
foreach(_i RANGE 0 ${_marlune_cat_last} 3)
  math(EXPR _j "${_i} + 1")
  math(EXPR _k "${_i} + 2")
  list(GET MARLUNE_CATALOGUE_TABLES ${_i} _data)
  list(GET MARLUNE_CATALOGUE_TABLES ${_j} _source)
  list(GET MARLUNE_CATALOGUE_TABLES ${_k} _function)
  list(APPEND MARLUNE_CATALOGUE_INPUTS ${MARLUNE_CATALOGUE_DATA}/${_data}.txt)
  list(APPEND MARLUNE_CATALOGUE_ARGS ${MARLUNE_CATALOGUE_DATA}/${_data}.txt ${_source} ${_function})
  list(APPEND MARLUNE_CATALOGUE_SOURCES ${MARLUNE_CATALOGUE_GEN}/${_source}.cpp)
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
