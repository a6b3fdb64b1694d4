src/config/nxa_config_autogen/timestamp: \
  /work/main/src/config/CMakeLists.txt \
  /work/main/src/config/ConfigurationFiles.cpp \
  /work/main/src/config/ConfigurationFiles.h \
  /work/main/src/config/ConfigurationImage.cpp \
  /work/main/src/config/ConfigurationImage.h \
  /work/main/src/config/ConfigurationRecords.cpp \
  /work/main/src/config/ConfigurationRecords.h \
  /work/main/src/config/StationConfig.cpp \
  /work/main/src/config/StationConfig.h \
  /work/main/src/config/UserCodes.cpp \
  /work/main/src/config/UserCodes.h \
  /usr/bin/cmake
