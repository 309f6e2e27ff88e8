# The layout library behind marlune-layout: segment layouts with the UN
# names of their fields.  The names (data/names, written by tools/transcribe
# next to data/catalogue) are compiled into this library only, never into
# marlune itself.

set(MARLUNE_NAMES_DATA ${PROJECT_SOURCE_DIR}/data/names)
set(MARLUNE_NAMES_GEN ${PROJECT_BINARY_DIR}/generated/layout/names_data.cpp)
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/generated/layout)

# Table name as the catalogue names it = data file (without .txt), in
# catalogue order.
set(MARLUNE_NAMES_TABLES
  88.1=881 90.2=902 91.1=911 91.2=912 92.1=921 93.2=932 D.93A=D93A S.93A=S93A
  D.94A=D94A D.94B=D94B D.95A=D95A D.95B=D95B D.96A=D96A D.96B=D96B D.97A=D97A
  D.97B=D97B D.98A=D98A D.98B=D98B D.99A=D99A I.96B=I96B I.97A=I97A I.97B=I97B
  I.98A=I98A I.98B=I98B I.99A=I99A default=default)
# The releases after D.99A (MARLUNE_RELEASES_AFTER_99A, catalogue.cmake).
foreach(_release IN LISTS MARLUNE_RELEASES_AFTER_99A)
  list(APPEND MARLUNE_NAMES_TABLES D.${_release}=D${_release} I.${_release}=I${_release})
endforeach()

set(_marlune_names_files)
foreach(_entry IN LISTS MARLUNE_NAMES_TABLES)
  string(REGEX REPLACE "^[^=]*=" "" _file "${_entry}")
  list(APPEND _marlune_names_files ${MARLUNE_NAMES_DATA}/${_file}.txt)
endforeach()

add_executable(embednames ${PROJECT_SOURCE_DIR}/tools/embednames/embednames.cpp)
target_compile_features(embednames PRIVATE cxx_std_20)
add_custom_command(
  OUTPUT ${MARLUNE_NAMES_GEN}
  COMMAND embednames ${MARLUNE_NAMES_GEN} ${MARLUNE_NAMES_DATA} ${MARLUNE_NAMES_TABLES}
  DEPENDS embednames ${_marlune_names_files}
  COMMENT "Embedding the field names of data/names"
  VERBATIM)

add_library(marlune_layout STATIC
  ${MARLUNE_NAMES_GEN}
  ${PROJECT_SOURCE_DIR}/src/layout/names.cpp
  ${PROJECT_SOURCE_DIR}/src/layout/layout.cpp
  ${PROJECT_SOURCE_DIR}/src/layout/formats.cpp
  ${PROJECT_SOURCE_DIR}/src/layout/records.cpp
  ${PROJECT_SOURCE_DIR}/src/layout/cli.cpp)
target_link_libraries(marlune_layout PUBLIC marlune_core)

add_executable(marlune-layout ${PROJECT_SOURCE_DIR}/src/layout/main.cpp)
target_link_libraries(marlune-layout PRIVATE marlune_layout)
