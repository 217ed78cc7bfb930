# Shared by run.sh and test.sh: installs the Debian packages Termora needs that are missing,
# then configures and builds in build/. Quiet and quick when nothing changed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

# Fonts: DejaVu is the desktop's face for the generic families; Liberation draws the faces the
# bundled definitions and the forms were made with (Times New Roman, Arial, Courier New) at their
# widths. The tests see these two and no others (tests/fonts/fonts.conf.in, with fontconfig-config's
# stock rules). lrelease (qt6-l10n-tools) compiles the Russian interface, Qt's own Russian texts
# come from qt6-translations-l10n; dpkg-dev and appstream make and check the Debian package.
# Spelling: the Hunspell library and its Russian dictionary.
TERMORA_PACKAGES="cmake g++ make pkg-config qt6-base-dev libqt6sql6-sqlite qt6-image-formats-plugins poppler-utils \
libgl-dev libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev sqlite3 libstemmer-dev libxcb1-dev libfontconfig-dev \
qpdf tidy fontconfig-config fonts-dejavu-core fonts-liberation2 \
qt6-l10n-tools qt6-translations-l10n dpkg-dev appstream libhunspell-dev hunspell-ru"

missing=()
for p in $TERMORA_PACKAGES ${TERMORA_EXTRA_PACKAGES:-}; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# scripts/package.sh needs the packages only; it builds in a folder of its own.
if [ -n "${TERMORA_PACKAGES_ONLY:-}" ]; then
  return 0 2>/dev/null || exit 0
fi

if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo ${TERMORA_CMAKE_ARGS:-} >/dev/null
fi
cmake --build build -j"$(nproc)" ${TERMORA_BUILD_TARGETS:+--target $TERMORA_BUILD_TARGETS}
