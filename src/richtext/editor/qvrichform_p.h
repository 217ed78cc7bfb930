#pragma once
// What the units of the editor window (qvrichform*.cpp) share and nothing outside them needs.

#include <QColor>

#include "base/Colors.h"

namespace richtext {

inline QColor Resolved(base::TColor C) { return base::ColorToQColor(C); }

}  // namespace richtext
