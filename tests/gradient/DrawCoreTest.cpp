// The pixel routines, colours, colour sets and the style manager.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>

#include "tests/gradient/GradientTestUtil.h"
#include "gradient/LmButton.h"
#include "gradient/LmDrawCore.h"

using namespace base;
using namespace gradient;

namespace {

// A plain control of the kit to hold others.
class TLmCustomControlHost : public TLmCustomControl {
 public:
  using TLmCustomControl::TLmCustomControl;

 protected:
  void RebuildBitmaps() override {}
};

struct GradientCase {
  const char* name;
  int w, h;
  TColor from, to;
  TGradientType type;
  int x, y;
  TColor expected;
};

constexpr TColor Grey(int v) { return RGBToColor(v, v, v); }

TEST(FillGradient, PixelValuesFollowTheStepsExactly) {
  const GradientCase cases[] = {
      {"horizontal starts at the from colour", 100, 1, clBlack, clWhite, gtHorizontal, 0, 0, Grey(0)},
      {"horizontal ends one step short of the to colour", 100, 1, clBlack, clWhite, gtHorizontal, 99, 0, Grey(252)},
      {"horizontal middle", 100, 3, clBlack, clWhite, gtHorizontal, 50, 2, Grey(127)},
      {"halves round to even, per channel", 2, 1, clBlack, RGBToColor(1, 3, 5), gtHorizontal, 1, 0, RGBToColor(0, 2, 2)},
      {"vertical runs down the rows", 1, 100, clWhite, clBlack, gtVertical, 0, 99, Grey(3)},
      {"vertical ignores the column", 7, 100, clWhite, clBlack, gtVertical, 6, 0, Grey(255)},
      {"from top left grows with the distance", 10, 10, clBlack, clWhite, gtFromTopLeft, 3, 4, Grey(91)},
      {"from top right: one step beside the corner", 10, 10, clBlack, clWhite, gtFromTopRight, 9, 0, Grey(18)},
      {"from top right: far corner", 10, 10, clBlack, clWhite, gtFromTopRight, 0, 0, Grey(182)},
      {"radial has the from colour at the centre", 9, 9, RGBToColor(10, 20, 30), clWhite, gtRadial, 4, 4, RGBToColor(10, 20, 30)},
      {"radial keeps only the low 8 bits", 2, 2, clBlack, clWhite, gtRadial, 0, 0, Grey(105)},
      {"double horizontal: from colour on the centre line", 10, 1, clBlack, clWhite, gtDoubleHorz, 5, 0, Grey(0)},
      {"double horizontal: to colour at the left edge", 10, 1, clBlack, clWhite, gtDoubleHorz, 0, 0, Grey(255)},
      {"double horizontal: right side", 10, 1, clBlack, clWhite, gtDoubleHorz, 9, 0, Grey(204)},
      {"double vertical", 1, 10, clBlack, clWhite, gtDoubleVert, 0, 9, Grey(204)},
      {"double vertical: centre line", 1, 10, clBlack, clWhite, gtDoubleVert, 0, 5, Grey(0)},
      {"equal system colours fill with the resolved colour", 4, 1, clBtnFace, clBtnFace, gtHorizontal, 3, 0, ColorToRGB(clBtnFace)},
  };
  for (const GradientCase& c : cases) {
    QImage image = Bitmap(c.w, c.h, clRed);
    FillGradient(image, QRect(0, 0, c.w, c.h), c.from, c.to, c.type);
    EXPECT_EQ(PixelAt(image, c.x, c.y), c.expected) << c.name;
  }
}

TEST(FillGradient, EqualColoursFillFlatAndARegionLimitsThePixels) {
  QImage flat = Bitmap(6, 6, clRed);
  const QRegion region(1, 1, 2, 2);
  FillGradient(flat, QRect(0, 0, 6, 6), clBlue, clBlue, gtRadial, &region);
  EXPECT_EQ(PixelAt(flat, 1, 1), clBlue);
  EXPECT_EQ(PixelAt(flat, 2, 2), clBlue);
  EXPECT_EQ(PixelAt(flat, 0, 0), clRed);
  EXPECT_EQ(PixelAt(flat, 3, 3), clRed);

  QImage graded = Bitmap(100, 4, clRed);
  const QRegion right(50, 0, 50, 4);
  FillGradient(graded, QRect(0, 0, 100, 4), clBlack, clWhite, gtHorizontal, &right);
  EXPECT_EQ(PixelAt(graded, 49, 2), clRed);
  EXPECT_EQ(PixelAt(graded, 99, 2), Grey(252));

  // No steps to interpolate (one pixel across a double gradient): painting still completes.
  for (TGradientType t : {gtDoubleHorz, gtDoubleVert, gtRadial}) {
    QImage one = Bitmap(1, 1, clRed);
    FillGradient(one, QRect(0, 0, 1, 1), clBlack, clWhite, t);
    EXPECT_NE(PixelAt(one, 0, 0), clRed);
  }

  QImage empty;
  FillGradient(empty, QRect(0, 0, 5, 5), clBlack, clWhite, gtVertical);  // nothing to fill, no crash
  EXPECT_TRUE(empty.isNull());
}

TEST(FillGradient, RoundRectRegionLeavesTheCornersOut) {
  const QRegion r = CreateRoundRectRgn(0, 0, 30, 20, 10, 10);
  EXPECT_FALSE(r.contains(QPoint(0, 0)));
  EXPECT_FALSE(r.contains(QPoint(29, 19)));
  EXPECT_TRUE(r.contains(QPoint(0, 10)));
  EXPECT_TRUE(r.contains(QPoint(15, 0)));
  EXPECT_FALSE(r.contains(QPoint(30, 10)));
}

TEST(BlendBitmap, PercentagesRoundHalvesToEvenAndUseTheOverlayFromItsOrigin) {
  QImage target = Bitmap(4, 4, clBlack);
  QImage overlay = Bitmap(2, 2, RGBToColor(1, 3, 200));
  overlay.setPixelColor(0, 0, ColorToQColor(RGBToColor(5, 7, 9)));
  BlendBitmap(target, overlay, QRect(2, 2, 2, 2), 50);
  EXPECT_EQ(PixelAt(target, 2, 2), RGBToColor(2, 4, 4));    // 2.5, 3.5, 4.5 to even
  EXPECT_EQ(PixelAt(target, 3, 3), RGBToColor(0, 2, 100));  // 0.5 to 0, 1.5 to 2
  EXPECT_EQ(PixelAt(target, 1, 1), clBlack);                 // outside the rectangle

  QImage full = Bitmap(3, 3, clWhite);
  BlendBitmap(full, Bitmap(3, 3, RGBToColor(10, 20, 30)), QRect(0, 0, 3, 3), 100);
  EXPECT_EQ(PixelAt(full, 1, 1), RGBToColor(10, 20, 30));
}

TEST(LayerBitmaps, CopiesTheBaseByTheOffsetThenBlends) {
  QImage base = Bitmap(5, 5, clBlack);
  base.setPixelColor(0, 0, Qt::white);
  base.setPixelColor(2, 1, Qt::red);
  const QImage overlay = Bitmap(5, 5, clBlue);

  QImage target = Bitmap(5, 5, clLime);
  LayerBitmaps(target, base, overlay, 1, QRect(0, 0, 5, 5), 0);
  EXPECT_EQ(PixelAt(target, 1, 1), clWhite);  // base (0, 0) moved one right and down
  EXPECT_EQ(PixelAt(target, 3, 2), clRed);
  EXPECT_EQ(PixelAt(target, 0, 0), clLime);  // nothing copied onto the first row and column
  EXPECT_EQ(PixelAt(target, 4, 4), clBlack);

  QImage blended = Bitmap(5, 5, clLime);
  LayerBitmaps(blended, base, overlay, 1, QRect(0, 0, 5, 5), 250);  // capped at 100
  EXPECT_EQ(PixelAt(blended, 1, 1), clBlue);

  // The base may be the target itself: the overlapping block moves intact.
  QImage self = Bitmap(5, 5, clBlack);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) self.setPixelColor(x, y, QColor(x * 10, y * 10, 0));
  LayerBitmaps(self, self, overlay, 1, QRect(0, 0, 5, 5), 0);
  EXPECT_EQ(PixelAt(self, 4, 4), RGBToColor(30, 30, 0));
  EXPECT_EQ(PixelAt(self, 1, 1), RGBToColor(0, 0, 0));
  EXPECT_EQ(PixelAt(self, 2, 3), RGBToColor(10, 20, 0));
}

TEST(DownsampleEdges, AveragesOnlyTheBandAndFillsTheInsideFlat) {
  // The glossary panel's case: factor 3, band 30, an 817 x 325 target.
  const int W = 817, H = 325;
  QImage source = Bitmap(W * 3, H * 3, RGBToColor(90, 60, 30));
  // One 3 x 3 block whose average truncates: a single 8 among zeros gives 0, all 8s give 8.
  QImage target = Bitmap(W, H, clRed);
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 3; ++i) source.setPixelColor(i, j, QColor(0, 0, 0));
  source.setPixelColor(2, 2, QColor(8, 8, 8));
  DownsampleEdges(source, target, 3, clBlue, 30);
  EXPECT_EQ(PixelAt(target, 0, 0), clBlack);
  const TColor averaged = RGBToColor(90, 60, 30);
  const TColor flat = clBlue;
  const struct {
    int x, y;
    TColor expected;
  } probes[] = {
      {14, 100, averaged}, {15, 100, flat},  {801, 100, flat}, {802, 100, averaged},
      {100, 14, averaged}, {100, 15, flat},  {100, 309, flat}, {100, 310, averaged},
      {400, 160, flat},    {816, 324, averaged}, {15, 15, flat},
  };
  for (const auto& p : probes) EXPECT_EQ(PixelAt(target, p.x, p.y), p.expected) << p.x << "," << p.y;

  // A band below 1 means the factor.
  QImage small = Bitmap(10, 10, clRed);
  DownsampleEdges(Bitmap(30, 30, clWhite), small, 3, clBlack, 0);
  EXPECT_EQ(PixelAt(small, 0, 5), clWhite);
  EXPECT_EQ(PixelAt(small, 1, 5), clBlack);
  EXPECT_EQ(PixelAt(small, 9, 5), clWhite);
}

TEST(PixelRoutines, TintAndCaptionFormat) {
  QImage glyph = Bitmap(2, 1, RGBToColor(10, 20, 30));
  glyph.setPixelColor(1, 0, QColor(250, 250, 250));
  TintBitmap(glyph, RGBToColor(64, 64, 64));
  EXPECT_EQ(PixelAt(glyph, 0, 0), RGBToColor(84, 84, 84));
  EXPECT_EQ(PixelAt(glyph, 1, 0), clWhite);

  EXPECT_EQ(CaptionFormat(taLeftJustify, false), 0x8824u);
  EXPECT_EQ(CaptionFormat(taRightJustify, false), 0x8826u);
  EXPECT_EQ(CaptionFormat(taCenter, false), 0x8825u);
  EXPECT_EQ(CaptionFormat(taCenter, true), 0x8815u);
  EXPECT_EQ(CaptionFormat(taLeftJustify, true), 0x8814u);
}

TEST(DrawShadowText, ShadowOnlyWhenEnabledAndSwitchedOnEmbossedWhenDisabled) {
  QFont font;
  font.setPixelSize(20);
  font.setBold(true);
  font.setStyleStrategy(QFont::NoAntialias);
  auto draw = [&](bool shadow, bool enabled) {
    QImage image(60, 30, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    DrawShadowText(p, QStringLiteral("HH"), font, clRed, clLime, shadow, DT_SINGLELINE, QRect(2, 2, 50, 25),
                   enabled);
    return image;
  };
  const QImage withShadow = draw(true, true);
  EXPECT_GT(CountColor(withShadow, clRed), 0);
  EXPECT_GT(CountColor(withShadow, clLime), 0);
  const QImage without = draw(false, true);
  EXPECT_EQ(CountColor(without, clLime), 0);
  const QImage disabled = draw(true, false);
  EXPECT_EQ(CountColor(disabled, clRed), 0);
  EXPECT_EQ(CountColor(disabled, clLime), 0);
  EXPECT_GT(CountColor(disabled, ColorToRGB(clBtnShadow)), 0);
  EXPECT_GT(CountColor(disabled, ColorToRGB(clBtnHighlight)), 0);
}

// The colour resolver itself is base's (tests/base); the kit only adds the fade speeds.
TEST(FadeInterval, EachSpeedHasItsTimerInterval) {
  EXPECT_EQ(FadeInterval(fsSlow), 40);
  EXPECT_EQ(FadeInterval(fsMedium), 20);
  EXPECT_EQ(FadeInterval(fsFast), 12);
  EXPECT_EQ(FadeInterval(fsVeryFast), 8);
}

// ---------------------------------------------------------------------------------------------
// Colour sets and assignment

TEST(ColorSets, InitialValues) {
  TLmControlColors c;
  EXPECT_EQ(c.DefaultFrom(), clWhite);
  EXPECT_EQ(c.DefaultTo(), 13745839);
  EXPECT_EQ(c.OverFrom(), clWhite);
  EXPECT_EQ(c.OverTo(), 12489846);
  EXPECT_EQ(c.ClickedFrom(), 13029334);
  EXPECT_EQ(c.ClickedTo(), 15463415);
  EXPECT_EQ(c.HotTrack(), clBlue);
  EXPECT_EQ(c.BorderColor(), clGray);
  EXPECT_EQ(c.TextShadow(), clWhite);
  TLmSplitterColors s;
  EXPECT_EQ(s.DefaultFrom(), clBtnFace);
  EXPECT_EQ(s.DefaultTo(), clBtnFace);
  EXPECT_EQ(s.OverFrom(), clWhite);
  EXPECT_EQ(s.OverTo(), 12489846);
}

TEST(ColorSets, AssignmentCopiesWhatBothHoldAndRefusesOtherTargets) {
  TLmControlColors a, b;
  a.SetDefaultFrom(1);
  a.SetOverTo(2);
  a.SetClickedTo(3);
  a.SetHotTrack(4);
  a.SetBorderColor(5);
  a.SetTextShadow(6);
  b.Assign(&a);
  EXPECT_EQ(b.DefaultFrom(), 1);
  EXPECT_EQ(b.OverTo(), 2);
  EXPECT_EQ(b.ClickedTo(), 3);
  EXPECT_EQ(b.HotTrack(), 4);
  EXPECT_EQ(b.BorderColor(), 5);
  EXPECT_EQ(b.TextShadow(), 6);

  TLmSplitterColors s;
  s.Assign(&a);
  EXPECT_EQ(s.DefaultFrom(), 1);
  EXPECT_EQ(s.DefaultTo(), 13745839);
  TLmControlColors c;
  c.Assign(&s);  // the four common colours only
  EXPECT_EQ(c.DefaultFrom(), 1);
  EXPECT_EQ(c.ClickedTo(), 15463415);

  TLmStyleManager manager;
  try {
    c.Assign(&manager);
    FAIL() << "assigning a style manager to a colour set must fail";
  } catch (const EAssignError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TLmStyleManager to a TLmControlColors");
  }
  try {
    manager.Assign(&c);
    FAIL() << "assigning a colour set to a style manager must fail";
  } catch (const EAssignError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TLmControlColors to a TLmStyleManager");
  }
  EXPECT_THROW(c.Assign(nullptr), EAssignError);
}

TEST(ColorSets, GradientColoursRebuildTheOwnerHotTrackAndShadowOnlyRepaint) {
  QWidget form;
  TLmButton button(&form);
  auto key = [&] { return button.NormalBitmap().cacheKey(); };
  qint64 before = key();
  button.Colors()->SetHotTrack(clRed);
  button.Colors()->SetTextShadow(clRed);
  button.Colors()->SetDefaultFrom(clWhite);  // unchanged value
  EXPECT_EQ(key(), before);
  button.Colors()->SetBorderColor(clBlack);
  EXPECT_NE(key(), before);
  before = key();
  button.Colors()->SetDefaultTo(clBlue);
  EXPECT_NE(key(), before);
  EXPECT_EQ(PixelAt(button.NormalBitmap(), 0, 0), clWhite);

  // Assignment copies without telling the owner.
  TLmControlColors other;
  other.SetDefaultFrom(clRed);
  before = key();
  button.Colors()->Assign(&other);
  EXPECT_EQ(key(), before);
  EXPECT_EQ(button.Colors()->DefaultFrom(), clRed);
}

// ---------------------------------------------------------------------------------------------
// Style manager

TEST(StyleManager, InitialStyleAndAssignment) {
  TLmStyleManager a;
  EXPECT_TRUE(a.ShowFocusRect());
  EXPECT_FALSE(a.HotTrack());
  EXPECT_TRUE(a.GradientBorder());
  EXPECT_TRUE(a.TextShadow());
  EXPECT_EQ(a.CheckColor(), 32768);
  EXPECT_EQ(a.FadeSpeed(), fsMedium);
  EXPECT_EQ(a.PanelColor(), 14933983);
  EXPECT_EQ(a.BorderColor(), 8421504);
  EXPECT_EQ(a.Colors()->DefaultTo(), 13745839);
  EXPECT_EQ(a.SplitterColors()->DefaultFrom(), clBtnFace);

  a.SetShowFocusRect(false);
  a.SetHotTrack(true);
  a.SetGradientBorder(false);
  a.SetTextShadow(false);
  a.SetCheckColor(1);
  a.SetFadeSpeed(fsVeryFast);
  a.SetPanelColor(2);
  a.SetBorderColor(3);
  a.Colors()->SetTextShadow(4);
  a.SplitterColors()->SetOverTo(5);
  QFont f = a.Font();
  f.setPixelSize(31);
  a.SetFont(f);
  TLmStyleManager b;
  b.Assign(&a);
  EXPECT_FALSE(b.ShowFocusRect());
  EXPECT_TRUE(b.HotTrack());
  EXPECT_FALSE(b.GradientBorder());
  EXPECT_FALSE(b.TextShadow());
  EXPECT_EQ(b.CheckColor(), 1);
  EXPECT_EQ(b.FadeSpeed(), fsVeryFast);
  EXPECT_EQ(b.PanelColor(), 2);
  EXPECT_EQ(b.BorderColor(), 3);
  EXPECT_EQ(b.Colors()->TextShadow(), 4);
  EXPECT_EQ(b.SplitterColors()->OverTo(), 5);
  EXPECT_EQ(b.Font().pixelSize(), 31);
}

TEST(StyleManager, RegisterFollowsTheLinksWithoutDuplicatesOrDanglingEntries) {
  QWidget form;
  auto* a = new TLmStyleManager(&form);
  TLmStyleManager b;
  auto* one = new TLmButton(&form);
  auto* two = new TLmButton(&form);
  one->SetLmStyleManager(a);
  one->SetLmStyleManager(a);
  a->RegisterControl(one);
  two->SetLmStyleManager(a);
  EXPECT_EQ(a->RegisteredControls(), (QList<TLmCustomControl*>{one, two}));

  two->SetLmStyleManager(nullptr);
  EXPECT_EQ(a->RegisteredControls(), QList<TLmCustomControl*>{one});
  a->UnregisterControl(two);  // not registered: nothing happens
  EXPECT_EQ(a->RegisteredControls(), QList<TLmCustomControl*>{one});

  // Moving to another manager leaves the old register.
  one->SetLmStyleManager(&b);
  EXPECT_TRUE(a->RegisteredControls().isEmpty());
  EXPECT_EQ(b.RegisteredControls(), QList<TLmCustomControl*>{one});

  delete one;
  EXPECT_TRUE(b.RegisteredControls().isEmpty());

  // A manager going away clears the links of the controls that share its owner, even a link to
  // another manager (which then forgets the control too).
  two->SetLmStyleManager(&b);
  auto* three = new TLmButton(&form);
  three->SetLmStyleManager(a);
  delete a;
  EXPECT_EQ(three->LmStyleManager(), nullptr);
  EXPECT_EQ(two->LmStyleManager(), nullptr);
  EXPECT_TRUE(b.RegisteredControls().isEmpty());
}

TEST(StyleManager, AWindowTornDownWithItsManagerAndControlsInAnyOrder) {
  for (bool managerFirst : {true, false}) {
    auto* form = new QWidget;
    TLmStyleManager* manager = nullptr;
    if (managerFirst) manager = new TLmStyleManager(form);
    auto* panel = new TLmCustomControlHost(form);
    auto* button = new TLmButton(panel);
    if (!managerFirst) manager = new TLmStyleManager(form);
    button->SetLmStyleManager(manager);
    panel->SetLmStyleManager(manager);
    // A manager outside the window that one of its controls is linked to.
    TLmStyleManager outside;
    auto* linkedOut = new TLmButton(panel);
    linkedOut->SetLmStyleManager(&outside);
    ASSERT_EQ(outside.RegisteredControls(), QList<TLmCustomControl*>{linkedOut});
    ASSERT_EQ(manager->RegisteredControls(), (QList<TLmCustomControl*>{button, panel}));
    delete form;  // must neither crash nor leave a register pointing at a destroyed control
    EXPECT_TRUE(outside.RegisteredControls().isEmpty()) << (managerFirst ? "manager first" : "manager last");
  }
}

TEST(CustomControl, ConstructionValuesAndAbout) {
  QWidget form;
  TLmButton c(&form);
  EXPECT_TRUE(c.TextShadow());
  EXPECT_TRUE(c.ShowCaption());
  EXPECT_TRUE(c.TabStop());
  EXPECT_EQ(c.LmStyleManager(), nullptr);
  EXPECT_EQ(c.HoverLevel(), 0);
  EXPECT_EQ(c.PressLevel(), 0);
  EXPECT_EQ(c.StateFlags(), 0);
  EXPECT_FALSE(c.FadeTimerActive());
  EXPECT_TRUE(c.testAttribute(Qt::WA_OpaquePaintEvent));
  const QString banner = c.About();
  EXPECT_FALSE(banner.isEmpty());
  c.SetAbout(QStringLiteral("something else"));
  EXPECT_EQ(c.About(), banner);
}

}  // namespace
