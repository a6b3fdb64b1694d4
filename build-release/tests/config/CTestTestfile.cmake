# CMake generated Testfile for 
# Source directory: /work/main/tests/config
# Build directory: /work/main/build-release/tests/config
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
add_test([=[tst_configurationfiles]=] "/work/main/build-release/tests/config/tst_configurationfiles")
set_tests_properties([=[tst_configurationfiles]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/config/CMakeLists.txt;5;nxa_add_test;/work/main/tests/config/CMakeLists.txt;0;")
add_test([=[tst_configurationimage]=] "/work/main/build-release/tests/config/tst_configurationimage")
set_tests_properties([=[tst_configurationimage]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/config/CMakeLists.txt;5;nxa_add_test;/work/main/tests/config/CMakeLists.txt;0;")
add_test([=[tst_usercodes]=] "/work/main/build-release/tests/config/tst_usercodes")
set_tests_properties([=[tst_usercodes]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/config/CMakeLists.txt;5;nxa_add_test;/work/main/tests/config/CMakeLists.txt;0;")
