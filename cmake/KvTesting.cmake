# kv_add_test(NAME <target> LABELS <labels...> SOURCES <files...> LIBS <libs...>)
#
# Builds one GoogleTest executable and registers its cases with CTest under the
# given labels: "unit" for display-free tests, "view" for tests that need an X
# display (run under xvfb-run), "tool" for tests that drive outside programs.
include(GoogleTest)

function(kv_add_test)
  cmake_parse_arguments(KT "" "NAME" "LABELS;SOURCES;LIBS" ${ARGN})
  add_executable(${KT_NAME} ${KT_SOURCES})
  target_link_libraries(${KT_NAME} PRIVATE ${KT_LIBS} GTest::gtest GTest::gtest_main)
  set_target_properties(${KT_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_compile_definitions(${KT_NAME} PRIVATE
    KV_SOURCE_DIR="${CMAKE_SOURCE_DIR}" KV_BIN_DIR="${KV_BIN_DIR}")
  if(NOT KT_LABELS)
    set(KT_LABELS unit)
  endif()
  # Scratch files of the tests go to a folder of this build, so that test runs
  # of several builds on one machine never share (and overwrite) a file name.
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/test-tmp)
  gtest_discover_tests(${KT_NAME}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES LABELS "${KT_LABELS}" ENVIRONMENT "TEST_TMPDIR=${CMAKE_BINARY_DIR}/test-tmp/"
    DISCOVERY_TIMEOUT 120)
endfunction()
