// The one colour resolver: how system colours are coded, which palette role each one reads,
// and the classic table used where no palette exists.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPalette>

#include <stdexcept>

#include "base/Colors.h"
#include "base/ScopeGuard.h"

using namespace base;

namespace {

TEST(Colors, SystemColoursAreTheNegativeCodesOfTheirIndex) {
  const struct {
    TColor color;
    int index;
  } cases[] = {
      {clScrollBar, 0},     {clBackground, 1},       {clActiveCaption, 2},        {clInactiveCaption, 3},
      {clMenu, 4},          {clWindow, 5},           {clWindowFrame, 6},          {clMenuText, 7},
      {clWindowText, 8},    {clCaptionText, 9},      {clActiveBorder, 10},        {clInactiveBorder, 11},
      {clAppWorkSpace, 12}, {clHighlight, 13},       {clHighlightText, 14},       {clBtnFace, 15},
      {clBtnShadow, 16},    {clGrayText, 17},        {clBtnText, 18},             {clInactiveCaptionText, 19},
      {clBtnHighlight, 20}, {cl3DDkShadow, 21},      {cl3DLight, 22},             {clInfoText, 23},
      {clInfoBk, 24},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(std::uint32_t(c.color), 0xFF000000u | std::uint32_t(c.index)) << c.index;
    EXPECT_LT(c.color, 0) << c.index;
    EXPECT_TRUE(IsSystemColor(c.color)) << c.index;
    EXPECT_EQ(SystemColorIndex(c.color), c.index);
    EXPECT_EQ(SystemColor(c.index), c.color);
  }
  EXPECT_EQ(clBtnFace, TColor(0xFF00000F));
  for (TColor plain : {clBlack, clWhite, clNavy, TColor(14933983), clNone, clDefault})
    EXPECT_FALSE(IsSystemColor(plain)) << plain;
}

TEST(Colors, PlainColoursPassThroughAndNoColourIsBlack) {
  EXPECT_EQ(ColorToRGB(13500416), 13500416);
  EXPECT_EQ(ColorToRGB(clGray), 8421504);
  EXPECT_EQ(ColorToQColor(14933983), QColor(223, 223, 227));
  EXPECT_EQ(QColorToColor(QColor(223, 223, 227)), 14933983);
  EXPECT_EQ(RGBToColor(1, 2, 3), 0x030201);
  EXPECT_EQ(GetRValue(0x030201), 1);
  EXPECT_EQ(GetGValue(0x030201), 2);
  EXPECT_EQ(GetBValue(0x030201), 3);
  EXPECT_EQ(ColorToRGB(clNone), clBlack);
  EXPECT_EQ(ColorToRGB(clDefault), clBlack);
  EXPECT_GE(ColorToRGB(clInfoBk), 0);
}

// A palette in which every role used has a colour of its own, so a colour read from the wrong
// role (the window's instead of the button's, the form's text instead of the edit's) shows.
QColor Distinct(QPalette::ColorGroup group, QPalette::ColorRole role) {
  return QColor(10 + 9 * int(role), group == QPalette::Disabled ? 200 : 100, 250 - 7 * int(role));
}

TEST(Colors, EachSystemColourReadsThePaletteRoleOfItsMeaning) {
  const QPalette original = QGuiApplication::palette();
  const ScopeGuard restore([&] { QGuiApplication::setPalette(original); });
  QPalette p;
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
    for (int r = 0; r < QPalette::NColorRoles; ++r)
      p.setColor(group, QPalette::ColorRole(r), Distinct(group, QPalette::ColorRole(r)));
  QGuiApplication::setPalette(p);
  ASSERT_NE(QGuiApplication::palette().color(QPalette::Button), QGuiApplication::palette().color(QPalette::Window));
  ASSERT_NE(QGuiApplication::palette().color(QPalette::Text), QGuiApplication::palette().color(QPalette::WindowText));

  const struct {
    TColor color;
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
  } byRole[] = {
      {clBtnFace, QPalette::Active, QPalette::Button},
      {clBtnText, QPalette::Active, QPalette::ButtonText},
      {clWindow, QPalette::Active, QPalette::Base},
      {clWindowText, QPalette::Active, QPalette::Text},
      {clMenu, QPalette::Active, QPalette::Window},
      {clMenuText, QPalette::Active, QPalette::WindowText},
      {clActiveBorder, QPalette::Active, QPalette::Window},
      {clInactiveBorder, QPalette::Active, QPalette::Window},
      {clHighlight, QPalette::Active, QPalette::Highlight},
      {clHighlightText, QPalette::Active, QPalette::HighlightedText},
      {clBtnShadow, QPalette::Active, QPalette::Dark},
      {clBtnHighlight, QPalette::Active, QPalette::Light},
      {cl3DDkShadow, QPalette::Active, QPalette::Shadow},
      {cl3DLight, QPalette::Active, QPalette::Midlight},
      {clGrayText, QPalette::Disabled, QPalette::Text},
      {clInfoText, QPalette::Active, QPalette::ToolTipText},
      {clInfoBk, QPalette::Active, QPalette::ToolTipBase},
  };
  for (const auto& c : byRole)
    EXPECT_EQ(ColorToRGB(c.color), QColorToColor(Distinct(c.group, c.role))) << SystemColorIndex(c.color);

  // Colours the palette has no role for come from the classic table even with an application.
  for (TColor c : {clScrollBar, clBackground, clActiveCaption, clInactiveCaption, clWindowFrame, clCaptionText,
                   clAppWorkSpace, clInactiveCaptionText})
    EXPECT_EQ(ColorToRGB(c), FallbackSystemColor(SystemColorIndex(c))) << SystemColorIndex(c);
}

// Without a GUI application every system colour comes from this table; with the test's
// QApplication present that path is not reachable, so the table is read directly.
TEST(Colors, TheFallbackTableIsTheClassicSchemeAndAnUnknownIndexIsTheButtonFace) {
  const struct {
    int index;
    TColor expected;
  } cases[] = {
      {1, RGBToColor(58, 110, 165)},   {5, clWhite},  {8, clBlack},
      {13, RGBToColor(10, 36, 106)},   {15, RGBToColor(212, 208, 200)},
      {16, RGBToColor(128, 128, 128)}, {21, RGBToColor(64, 64, 64)},
      {24, RGBToColor(255, 255, 225)}, {-1, RGBToColor(212, 208, 200)},
      {kSystemColorCount, RGBToColor(212, 208, 200)}, {255, RGBToColor(212, 208, 200)},
  };
  for (const auto& c : cases) EXPECT_EQ(FallbackSystemColor(c.index), c.expected) << c.index;
}

TEST(ScopeHelpers, RestoreOnEveryWayOutUnlessDismissed) {
  int runs = 0;
  int value = 1;
  try {
    ScopeGuard count([&] { ++runs; });
    ValueRestorer<int> during(value, 2);
    EXPECT_EQ(value, 2);
    throw std::runtime_error("leaving");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(value, 1);
  {
    ScopeGuard dismissed([&] { ++runs; });
    dismissed.Dismiss();
  }
  EXPECT_EQ(runs, 1);
}

}  // namespace
