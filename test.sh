#!/usr/bin/env bash
# Installs what is missing, builds and runs every test. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
