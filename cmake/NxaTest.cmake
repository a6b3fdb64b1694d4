# What tests of several folders share (#include "support/..."), and the sample
# dataloggers they feed the code under test with.
add_library(nxa_test_support INTERFACE)
target_include_directories(nxa_test_support INTERFACE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(nxa_test_support INTERFACE nxa_samples Qt6::Test)

# One place that registers a QtTest executable with CTest, so every test runs
# headless, in UTF-8, and knows where the shared fixture files are.
function(nxa_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test nxa_test_support ${ARG_LIBS})
  target_compile_definitions(${name} PRIVATE
    NXA_FIXTURES="${PROJECT_SOURCE_DIR}/tests/fixtures"
    NXA_BINARY_DIR="${PROJECT_BINARY_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=${PROJECT_SOURCE_DIR}/tests/fixtures;ASAN_OPTIONS=detect_leaks=0"
    TIMEOUT 300)
endfunction()
