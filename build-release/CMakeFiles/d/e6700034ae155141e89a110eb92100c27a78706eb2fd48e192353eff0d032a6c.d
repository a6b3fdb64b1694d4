src/report/nxa_report_autogen/timestamp: \
  /work/main/src/report/CMakeLists.txt \
  /work/main/src/report/Canvas.cpp \
  /work/main/src/report/Canvas.h \
  /work/main/src/report/ChoiceTexts.cpp \
  /work/main/src/report/ChoiceTexts.h \
  /work/main/src/report/DataloggerReport.cpp \
  /work/main/src/report/DataloggerReport.h \
  /work/main/src/report/PageGeometry.cpp \
  /work/main/src/report/PageGeometry.h \
  /work/main/src/report/ProfilesReport.cpp \
  /work/main/src/report/ProfilesReport.h \
  /work/main/src/report/ReportLayout.cpp \
  /work/main/src/report/ReportLayout.h \
  /work/main/src/report/UsersReport.cpp \
  /work/main/src/report/UsersReport.h \
  /usr/bin/cmake
