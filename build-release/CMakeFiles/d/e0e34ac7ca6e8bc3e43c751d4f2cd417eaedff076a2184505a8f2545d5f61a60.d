tools/tester-sim/nxa-tester-sim_autogen/timestamp: \
  /work/main/tools/tester-sim/CMakeLists.txt \
  /work/main/tools/tester-sim/main.cpp \
  /usr/bin/cmake
