#pragma once
// The faces the editor offers, by name.

#include <QString>
#include <QStringList>

namespace richtext {

// A family name as texts carry it: without the " [Foundry]" the font database adds where
// several foundries make a family of one name.
QString QvPlainFamilyName(const QString& Name);

// The families of this desktop, each once by its name, in alphabetical order.
QStringList QvFontFamilies();

}  // namespace richtext
