# CMake generated Testfile for 
# Source directory: /work/main/tests/app
# Build directory: /work/main/build-release/tests/app
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
add_test([=[tst_commandline]=] "/work/main/build-release/tests/app/tst_commandline")
set_tests_properties([=[tst_commandline]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/app/CMakeLists.txt;5;nxa_add_test;/work/main/tests/app/CMakeLists.txt;0;")
add_test([=[tst_configroundtrip]=] "/work/main/build-release/tests/app/tst_configroundtrip")
set_tests_properties([=[tst_configroundtrip]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/app/CMakeLists.txt;5;nxa_add_test;/work/main/tests/app/CMakeLists.txt;0;")
add_test([=[tst_configview]=] "/work/main/build-release/tests/app/tst_configview")
set_tests_properties([=[tst_configview]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/app/CMakeLists.txt;5;nxa_add_test;/work/main/tests/app/CMakeLists.txt;0;")
add_test([=[tst_configviewbench]=] "/work/main/build-release/tests/app/tst_configviewbench")
set_tests_properties([=[tst_configviewbench]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/app/CMakeLists.txt;5;nxa_add_test;/work/main/tests/app/CMakeLists.txt;0;")
add_test([=[tst_dataloggerview]=] "/work/main/build-release/tests/app/tst_dataloggerview")
set_tests_properties([=[tst_dataloggerview]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/app/CMakeLists.txt;5;nxa_add_test;/work/main/tests/app/CMakeLists.txt;0;")
add_test([=[tst_mainwindow]=] "/work/main/build-release/tests/app/tst_mainwindow")
set_tests_properties([=[tst_mainwindow]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/app/CMakeLists.txt;5;nxa_add_test;/work/main/tests/app/CMakeLists.txt;0;")
add_test([=[tst_operation]=] "/work/main/build-release/tests/app/tst_operation")
set_tests_properties([=[tst_operation]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/app/CMakeLists.txt;5;nxa_add_test;/work/main/tests/app/CMakeLists.txt;0;")
add_test([=[tst_preferences]=] "/work/main/build-release/tests/app/tst_preferences")
set_tests_properties([=[tst_preferences]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/app/CMakeLists.txt;5;nxa_add_test;/work/main/tests/app/CMakeLists.txt;0;")
add_test([=[tst_reportprinting]=] "/work/main/build-release/tests/app/tst_reportprinting")
set_tests_properties([=[tst_reportprinting]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/app/CMakeLists.txt;5;nxa_add_test;/work/main/tests/app/CMakeLists.txt;0;")
add_test([=[tst_splash]=] "/work/main/build-release/tests/app/tst_splash")
set_tests_properties([=[tst_splash]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;NXA_FIXTURES=/work/main/tests/fixtures;ASAN_OPTIONS=detect_leaks=0" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/cmake/NxaTest.cmake;10;add_test;/work/main/tests/app/CMakeLists.txt;5;nxa_add_test;/work/main/tests/app/CMakeLists.txt;0;")
