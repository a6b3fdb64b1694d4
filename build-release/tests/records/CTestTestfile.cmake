# CMake generated Testfile for 
# Source directory: /work/main/tests/records
# Build directory: /work/main/build-release/tests/records
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
add_test([=[tst_accessrecordformat]=] "/work/main/build-release/tests/records/tst_accessrecordformat")
set_tests_properties([=[tst_accessrecordformat]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/records/CMakeLists.txt;5;nxa_add_test;/work/main/tests/records/CMakeLists.txt;0;")
add_test([=[tst_columnsort]=] "/work/main/build-release/tests/records/tst_columnsort")
set_tests_properties([=[tst_columnsort]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/records/CMakeLists.txt;5;nxa_add_test;/work/main/tests/records/CMakeLists.txt;0;")
add_test([=[tst_dataloggerimagebuilder]=] "/work/main/build-release/tests/records/tst_dataloggerimagebuilder")
set_tests_properties([=[tst_dataloggerimagebuilder]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/records/CMakeLists.txt;5;nxa_add_test;/work/main/tests/records/CMakeLists.txt;0;")
add_test([=[tst_dataloggermerge]=] "/work/main/build-release/tests/records/tst_dataloggermerge")
set_tests_properties([=[tst_dataloggermerge]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/records/CMakeLists.txt;5;nxa_add_test;/work/main/tests/records/CMakeLists.txt;0;")
add_test([=[tst_dataloggertable]=] "/work/main/build-release/tests/records/tst_dataloggertable")
set_tests_properties([=[tst_dataloggertable]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/records/CMakeLists.txt;5;nxa_add_test;/work/main/tests/records/CMakeLists.txt;0;")
add_test([=[tst_fixedwidthtextimport]=] "/work/main/build-release/tests/records/tst_fixedwidthtextimport")
set_tests_properties([=[tst_fixedwidthtextimport]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/records/CMakeLists.txt;5;nxa_add_test;/work/main/tests/records/CMakeLists.txt;0;")
add_test([=[tst_textroundtrip]=] "/work/main/build-release/tests/records/tst_textroundtrip")
set_tests_properties([=[tst_textroundtrip]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/records/CMakeLists.txt;5;nxa_add_test;/work/main/tests/records/CMakeLists.txt;0;")
