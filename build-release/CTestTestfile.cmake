# CMake generated Testfile for 
# Source directory: /work/main
# Build directory: /work/main/build-release
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
subdirs("src/common")
subdirs("src/records")
subdirs("src/config")
subdirs("src/export")
subdirs("src/link")
subdirs("src/report")
subdirs("src/app")
subdirs("tools/tester-sim")
subdirs("tests/records")
subdirs("tests/config")
subdirs("tests/export")
subdirs("tests/link")
subdirs("tests/report")
subdirs("tests/app")
