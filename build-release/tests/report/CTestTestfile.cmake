# CMake generated Testfile for 
# Source directory: /work/main/tests/report
# Build directory: /work/main/build-release/tests/report
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
add_test([=[tst_dataloggerreport]=] "/work/main/build-release/tests/report/tst_dataloggerreport")
set_tests_properties([=[tst_dataloggerreport]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/report/CMakeLists.txt;5;nxa_add_test;/work/main/tests/report/CMakeLists.txt;0;")
add_test([=[tst_pagegeometry]=] "/work/main/build-release/tests/report/tst_pagegeometry")
set_tests_properties([=[tst_pagegeometry]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/report/CMakeLists.txt;5;nxa_add_test;/work/main/tests/report/CMakeLists.txt;0;")
add_test([=[tst_profilesreport]=] "/work/main/build-release/tests/report/tst_profilesreport")
set_tests_properties([=[tst_profilesreport]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/report/CMakeLists.txt;5;nxa_add_test;/work/main/tests/report/CMakeLists.txt;0;")
add_test([=[tst_usersreport]=] "/work/main/build-release/tests/report/tst_usersreport")
set_tests_properties([=[tst_usersreport]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/report/CMakeLists.txt;5;nxa_add_test;/work/main/tests/report/CMakeLists.txt;0;")
