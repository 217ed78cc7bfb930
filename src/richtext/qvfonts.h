#pragma once
// The faces the editor offers by name, and whether the face a text names is drawn as itself.

#include <QString>
#include <QStringList>

namespace richtext {

// A family name as texts carry it: without the " [Foundry]" the font database adds where
// several foundries make a family of one name.
QString QvPlainFamilyName(const QString& Name);

// The families of this desktop, each once by its name, in alphabetical order.
QStringList QvFontFamilies();

// True where text in Family is drawn in that face or in an installed face made to its widths
// (fontconfig's metric-compatible aliases, such as Liberation Serif for Times New Roman); false
// where an unrelated fallback draws it. Verdana drawn by DejaVu Sans counts as drawn: see the
// comment in qvfonts.cpp.
bool QvFontIsDrawn(const QString& Family);

}  // namespace richtext
