#include "base/Colors.h"

#include <QGuiApplication>
#include <QPalette>

#include <iterator>

namespace base {

namespace {

// The classic desktop scheme, used where no application palette exists.
constexpr TColor kClassicSystemColors[kSystemColorCount] = {
    RGBToColor(200, 200, 200),  // scroll bar
    RGBToColor(58, 110, 165),   // desktop
    RGBToColor(10, 36, 106),    // active caption
    RGBToColor(128, 128, 128),  // inactive caption
    RGBToColor(212, 208, 200),  // menu
    RGBToColor(255, 255, 255),  // window
    RGBToColor(0, 0, 0),        // window frame
    RGBToColor(0, 0, 0),        // menu text
    RGBToColor(0, 0, 0),        // window text
    RGBToColor(255, 255, 255),  // caption text
    RGBToColor(212, 208, 200),  // active border
    RGBToColor(212, 208, 200),  // inactive border
    RGBToColor(128, 128, 128),  // application workspace
    RGBToColor(10, 36, 106),    // highlight
    RGBToColor(255, 255, 255),  // highlight text
    RGBToColor(212, 208, 200),  // button face
    RGBToColor(128, 128, 128),  // button shadow
    RGBToColor(128, 128, 128),  // grey text
    RGBToColor(0, 0, 0),        // button text
    RGBToColor(212, 208, 200),  // inactive caption text
    RGBToColor(255, 255, 255),  // button highlight
    RGBToColor(64, 64, 64),     // 3D dark shadow
    RGBToColor(212, 208, 200),  // 3D light
    RGBToColor(0, 0, 0),        // info text
    RGBToColor(255, 255, 225),  // info background
};

// The palette role that means what the desktop colour means: the face of buttons and dialogs is
// the Button role, text on a window's client area (an edit's text) is Text, text on a form is
// WindowText. Colours with no role of their own use the fallback table.
bool PaletteRole(int index, QPalette::ColorGroup& group, QPalette::ColorRole& role) {
  group = QPalette::Active;
  switch (index) {
    case 4: case 10: case 11: role = QPalette::Window; return true;   // menu, borders
    case 5: role = QPalette::Base; return true;                       // window
    case 7: role = QPalette::WindowText; return true;                 // menu text
    case 8: role = QPalette::Text; return true;                       // window text
    case 13: role = QPalette::Highlight; return true;
    case 14: role = QPalette::HighlightedText; return true;
    case 15: role = QPalette::Button; return true;                    // button face
    case 16: role = QPalette::Dark; return true;
    case 17: group = QPalette::Disabled; role = QPalette::Text; return true;
    case 18: role = QPalette::ButtonText; return true;
    case 20: role = QPalette::Light; return true;
    case 21: role = QPalette::Shadow; return true;
    case 22: role = QPalette::Midlight; return true;
    case 23: role = QPalette::ToolTipText; return true;
    case 24: role = QPalette::ToolTipBase; return true;
    default: return false;
  }
}

}  // namespace

TColor FallbackSystemColor(int index) {
  if (index < 0 || index >= kSystemColorCount) index = 15;
  return kClassicSystemColors[index];
}

TColor ColorToRGB(TColor color) {
  if (color == clNone || color == clDefault) return clBlack;
  if (color >= 0) return color & 0xFFFFFF;
  const int index = SystemColorIndex(color);
  QPalette::ColorGroup group;
  QPalette::ColorRole role;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) && PaletteRole(index, group, role))
    return QColorToColor(QGuiApplication::palette().color(group, role));
  return FallbackSystemColor(index);
}

QColor ColorToQColor(TColor color) {
  const TColor c = ColorToRGB(color);
  return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

TColor QColorToColor(const QColor& color) { return RGBToColor(color.red(), color.green(), color.blue()); }

}  // namespace base
