# vantrel_version_record(TARGET VERSION)
#
# Writes the version record VERSION (four numbers, a.b.c.d; missing parts
# are 0) into the ELF section "vantrel_version" of the program TARGET, as
# support/VersionRecord.h lays it out.
function(vantrel_version_record target version)
  string(REPLACE "." ";" parts "${version}")
  list(APPEND parts 0 0 0 0)
  list(GET parts 0 VANTREL_RECORD_A)
  list(GET parts 1 VANTREL_RECORD_B)
  list(GET parts 2 VANTREL_RECORD_C)
  list(GET parts 3 VANTREL_RECORD_D)
  set(VANTREL_RECORD_VERSION "${VANTREL_RECORD_A}.${VANTREL_RECORD_B}.${VANTREL_RECORD_C}.${VANTREL_RECORD_D}")
  set(source ${CMAKE_CURRENT_BINARY_DIR}/${target}-VersionRecord.cpp)
  configure_file(${PROJECT_SOURCE_DIR}/support/VersionRecord.cpp.in ${source} @ONLY)
  target_sources(${target} PRIVATE ${source})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
endfunction()
