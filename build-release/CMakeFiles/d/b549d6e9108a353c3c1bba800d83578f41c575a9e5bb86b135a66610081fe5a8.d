src/app/nxa-manager_autogen/timestamp: \
  /work/main/assets/assets.qrc \
  /work/main/src/app/CMakeLists.txt \
  /work/main/src/app/main.cpp \
  /usr/bin/cmake
