#!/usr/bin/env bash
# Installs, only when missing, every Debian package that building, testing and
# running the manager need. Safe to run again; quick when all is present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools qt6-base-private-dev libqt6opengl6-dev qt6-svg-dev
  libarchive-dev zlib1g-dev libpng-dev libjpeg-dev
  libbenchmark-dev libxlsxwriter-dev
  fonts-liberation xvfb xauth imagemagick poppler-utils unzip
  python3 python3-openpyxl python3-pil
  clang libclang-rt-14-dev
)
# The package check (scripts/check-package.sh): packaging and validators.
packages+=(
  dpkg-dev file lintian desktop-file-utils appstream mandoc systemd
)

# The reports: charts in Liberation Sans, their PDF text read back by
# pdftotext, and the HTML rendered offline by a real browser.
packages+=(fonts-liberation poppler-utils chromium)

# nxa-collect: its archive drivers (SQLite, PostgreSQL), libpq's headers for
# its COPY path, the PostgreSQL server its tests start, and mandoc to check its
# manual page.
packages+=(libqt6sql6-sqlite libqt6sql6-psql libpq-dev postgresql mandoc)
# nxa-collect's log: Ed25519 signatures from libsodium, SHA-256 from OpenSSL.
packages+=(libsodium-dev libssl-dev)
# nxa-collect serve: libmicrohttpd (TLS through GnuTLS) parses every request;
# openssl makes the test's self-signed certificate.
packages+=(libmicrohttpd-dev openssl)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq || true
$SUDO apt-get install -y -qq "${missing[@]}"
