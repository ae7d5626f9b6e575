# The program's version record: a host tool writes it from PROJECT_VERSION in the
# published version-resource layout as a C++ source that the Qt library compiles in,
# so the About dialog reads the same record a version resource would hold.
# Included from dialogs/CMakeLists.txt.

add_executable(tamblero_versiongen ${CMAKE_CURRENT_LIST_DIR}/VersionRecordGen.cpp)
target_link_libraries(tamblero_versiongen PRIVATE tamblero_app_core tamblero_options)

set(TAMBLERO_VERSION_RECORD ${CMAKE_CURRENT_BINARY_DIR}/generated/VersionRecord.cpp)
add_custom_command(
  OUTPUT ${TAMBLERO_VERSION_RECORD}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/generated
  COMMAND tamblero_versiongen ${TAMBLERO_VERSION_RECORD} ${PROJECT_VERSION} ${PROJECT_DESCRIPTION}
  DEPENDS tamblero_versiongen
  COMMENT "Writing the version record of ${PROJECT_VERSION}"
  VERBATIM)
target_sources(tamblero_dialogs PRIVATE ${TAMBLERO_VERSION_RECORD})
