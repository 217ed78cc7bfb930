# The Debian package: `cpack -G DEB` in the build folder (scripts/package.sh does it from a clean
# release build). Its dependencies come from the libraries the programs link (dpkg-shlibdeps),
# plus the Qt plugins and catalogues that are loaded at run time rather than linked.
# Packaging takes the programs as built: the package script and the package test build first, so
# packing need not walk every target again.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME termora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TERMORA_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "beekeeper's glossary with formatted definitions")
set(CPACK_PACKAGE_DESCRIPTION "Termora is a glossary of beekeeping for the desktop: over six hundred
Russian terms of bee biology, the colony, hives, tools, bee products,
diseases and pests, seasonal work, queen rearing and honey plants, each
with a formatted definition. Terms can be read, corrected, added, searched
in any grammatical form, linked to each other, printed as a book and
exchanged as TBX or CSV.
.
The interface is Russian under a Russian locale and English otherwise.
The package holds the program, its command-line tools (termora-glossary,
termora-glossary-build, termora-rtf) and the bundled glossary.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hunspell-ru, qt6-translations-l10n, qt6-image-formats-plugins, fonts-liberation2, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
