# CMake generated Testfile for 
# Source directory: /work/main/tests/export
# Build directory: /work/main/build-release/tests/export
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
add_test([=[tst_CellText]=] "/work/main/build-release/tests/export/tst_CellText")
set_tests_properties([=[tst_CellText]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/export/CMakeLists.txt;5;nxa_add_test;/work/main/tests/export/CMakeLists.txt;0;")
add_test([=[tst_TextExport]=] "/work/main/build-release/tests/export/tst_TextExport")
set_tests_properties([=[tst_TextExport]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/export/CMakeLists.txt;5;nxa_add_test;/work/main/tests/export/CMakeLists.txt;0;")
add_test([=[tst_WorkbookExport]=] "/work/main/build-release/tests/export/tst_WorkbookExport")
set_tests_properties([=[tst_WorkbookExport]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/export/CMakeLists.txt;5;nxa_add_test;/work/main/tests/export/CMakeLists.txt;0;")
add_test([=[tst_WorkbookParts]=] "/work/main/build-release/tests/export/tst_WorkbookParts")
set_tests_properties([=[tst_WorkbookParts]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/export/CMakeLists.txt;5;nxa_add_test;/work/main/tests/export/CMakeLists.txt;0;")
add_test([=[tst_WorkbookWriter]=] "/work/main/build-release/tests/export/tst_WorkbookWriter")
set_tests_properties([=[tst_WorkbookWriter]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/export/CMakeLists.txt;5;nxa_add_test;/work/main/tests/export/CMakeLists.txt;0;")
