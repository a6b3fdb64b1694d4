src/link/nxa_link_autogen/timestamp: \
  /work/main/src/link/CMakeLists.txt \
  /work/main/src/link/HostAddress.cpp \
  /work/main/src/link/HostAddress.h \
  /work/main/src/link/LinkConstants.cpp \
  /work/main/src/link/LinkConstants.h \
  /work/main/src/link/LinkOutcome.cpp \
  /work/main/src/link/LinkOutcome.h \
  /work/main/src/link/SocketWaits.cpp \
  /work/main/src/link/SocketWaits.h \
  /work/main/src/link/TesterConnection.cpp \
  /work/main/src/link/TesterConnection.h \
  /work/main/src/link/TesterRequest.cpp \
  /work/main/src/link/TesterRequest.h \
  /usr/bin/cmake
