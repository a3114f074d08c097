# vantrel_layer(NAME [LINKS lib...])
#
# Declares the static library of one layer from every .cpp in the calling
# folder. Headers are included as "<layer>/<Header>.h" from the source root.
function(vantrel_layer name)
  cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_LINKS})
  else()
    # A layer whose code comes later still exists as a target, so the
    # layers above it can already name it.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_LINKS})
  endif()
endfunction()

# vantrel_test(NAME SOURCES... LINKS lib... [RUNNER command...])
#
# One GoogleTest program per suite, registered as one CTest entry. A
# RUNNER is a command the program is run under (for example a private
# D-Bus session).
function(vantrel_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS;RUNNER" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  # The test cases themselves are built for a short compile: -O0 with line
  # tables only. What they call, the layers and the test support
  # libraries that crunch whole videos, keeps the build's own flags.
  target_compile_options(${name} PRIVATE -O0 -g1)
  target_link_libraries(${name} PRIVATE ${ARG_LINKS} GTest::gtest GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${name} COMMAND ${ARG_RUNNER} $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VANTREL_SOURCE_DIR=${PROJECT_SOURCE_DIR};VANTREL_BUILD_DIR=${CMAKE_BINARY_DIR}")
endfunction()
