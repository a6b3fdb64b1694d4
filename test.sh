#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test. Non-zero exit on any failure.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh

build=build-sanitize
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNXA_SANITIZE=ON -DNXA_BUILD_BENCH=OFF
cmake --build "$build" -j "$(nproc)"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"

# nxa-collect's suite once more, on a throw-away PostgreSQL server.
QT_QPA_PLATFORM=offscreen ../scripts/with-postgres.sh \
  ctest --output-on-failure \
  -R '^(tst_collect_.*_postgres|tst_archivelog_postgres|tst_archive(locks|files|reader|location|upgrade)|tst_collectmessages)$'

# Package: the .deb from a Release build, the distribution's validators, and
# the installed nxa-manager run headless from a temporary prefix.
cd ..
scripts/check-package.sh
