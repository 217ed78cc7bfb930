#!/usr/bin/env bash
# Installs what is missing, builds, creates the bundled glossary in ~/.local/share/termora
# unless it is already there, and starts Termora in that folder.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
exec build/src/app/termora-launch "$PWD/build/src/app/termora" "$PWD/build/glossary/termora-glossary-build" \
  "$PWD/glossary/terms"
