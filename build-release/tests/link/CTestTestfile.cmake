# CMake generated Testfile for 
# Source directory: /work/main/tests/link
# Build directory: /work/main/build-release/tests/link
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
add_test([=[tst_LinkProtocol]=] "/work/main/build-release/tests/link/tst_LinkProtocol")
set_tests_properties([=[tst_LinkProtocol]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/link/CMakeLists.txt;5;nxa_add_test;/work/main/tests/link/CMakeLists.txt;0;")
add_test([=[tst_TesterConnection]=] "/work/main/build-release/tests/link/tst_TesterConnection")
set_tests_properties([=[tst_TesterConnection]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/link/CMakeLists.txt;5;nxa_add_test;/work/main/tests/link/CMakeLists.txt;0;")
add_test([=[tst_TesterSimulator]=] "/work/main/build-release/tests/link/tst_TesterSimulator")
set_tests_properties([=[tst_TesterSimulator]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/link/CMakeLists.txt;5;nxa_add_test;/work/main/tests/link/CMakeLists.txt;0;")
