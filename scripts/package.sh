#!/usr/bin/env bash
# Builds the Debian package termora_<version>_<arch>.deb in build-package/ from a clean release
# build, validates its AppStream metadata and runs lintian on it where lintian is installed.
set -euo pipefail
cd "$(dirname "$0")/.."
TERMORA_PACKAGES_ONLY=1 bash scripts/setup.sh
out=build-package
cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=Release -DTERMORA_TESTS=OFF ${TERMORA_CMAKE_ARGS:-} >/dev/null
cmake --build "$out" -j"$(nproc)"
(cd "$out" && cpack -G DEB)
deb=$(ls "$out"/termora_*.deb)
appstreamcli validate --no-net "$out/packaging/org.termora.Termora.metainfo.xml"
if command -v lintian >/dev/null; then
  lintian --tag-display-limit 0 "$deb"
else
  echo "lintian is not installed: the package was not checked with it" >&2
fi
echo "$deb"
