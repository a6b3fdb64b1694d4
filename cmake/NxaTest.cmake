# One place that registers a QtTest executable with CTest, so every test runs
# headless, in UTF-8, and knows where the shared fixture files are.
function(nxa_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
  # Helpers shared by tests of several folders: #include "support/...".
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    NXA_FIXTURES="${PROJECT_SOURCE_DIR}/tests/fixtures"
    NXA_BINARY_DIR="${PROJECT_BINARY_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=${PROJECT_SOURCE_DIR}/tests/fixtures;ASAN_OPTIONS=detect_leaks=0"
    TIMEOUT 300)
endfunction()
