// The gradient button: fades driven tick by tick, clicks, latching, keys and painting.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>

#include <stdexcept>
#include <vector>

#include "tests/gradient/GradientTestUtil.h"
#include "gradient/LmButton.h"

using namespace base;
using namespace gradient;

namespace {

struct Levels {
  int hover, press;
  bool running;
  bool operator==(const Levels& o) const {
    return hover == o.hover && press == o.press && running == o.running;
  }
};

std::ostream& operator<<(std::ostream& os, const Levels& l) {
  return os << "{hover " << l.hover << ", press " << l.press << (l.running ? ", running}" : ", stopped}");
}

// Ticks until the timer stops (at most `limit` ticks) and returns the levels after each tick.
std::vector<Levels> RunFade(TLmButton& b, int limit = 30) {
  std::vector<Levels> seen;
  for (int i = 0; i < limit && b.FadeTimerActive(); ++i) {
    Tick(&b);
    seen.push_back({b.HoverLevel(), b.PressLevel(), b.FadeTimerActive()});
  }
  return seen;
}

TEST(ButtonFade, HoverFadesInOverTenTicksAndOutOverEleven) {
  QWidget form;
  TLmButton b(&form);
  EXPECT_FALSE(b.FadeTimerActive());
  bool entered = false;
  b.OnMouseEnter = [&](QObject* sender) {
    entered = sender == &b;
    EXPECT_FALSE(b.FadeTimerActive());  // the event comes before the fade starts
  };
  Enter(&b);
  EXPECT_TRUE(entered);
  EXPECT_TRUE(b.IsOver());
  EXPECT_EQ(b.FadeTimerInterval(), 20);
  std::vector<Levels> in;
  for (int i = 1; i <= 10; ++i) in.push_back({10 * i, 0, i < 10});
  EXPECT_EQ(RunFade(b), in);

  Leave(&b);
  EXPECT_FALSE(b.IsOver());
  std::vector<Levels> out;
  for (int i = 1; i <= 10; ++i) out.push_back({100 - 10 * i, 0, true});
  out.push_back({0, 0, false});
  EXPECT_EQ(RunFade(b), out);
}

TEST(ButtonFade, PressFadesInByQuartersAndReleaseFadesItOutUnderFullHover) {
  QWidget form;
  TLmButton b(&form);
  Enter(&b);
  RunFade(b);
  Press(&b);
  EXPECT_TRUE(b.IsPressed());
  EXPECT_EQ(RunFade(b), (std::vector<Levels>{{100, 25, true}, {100, 50, true}, {100, 75, true},
                                         {100, 100, true}, {100, 100, false}}));
  Release(&b);
  EXPECT_FALSE(b.IsPressed());
  EXPECT_EQ(RunFade(b), (std::vector<Levels>{{100, 75, true}, {100, 50, true}, {100, 25, true}, {100, 0, false}}));
}

TEST(ButtonFade, FadeOutFromAHalfStartedPress) {
  QWidget form;
  TLmButton b(&form);
  Enter(&b);
  Press(&b);
  Tick(&b);
  ASSERT_EQ(b.PressLevel(), 25);
  ASSERT_EQ(b.HoverLevel(), 0);
  Leave(&b);
  EXPECT_EQ(RunFade(b), (std::vector<Levels>{{-10, 0, true}, {0, 0, false}}));
}

TEST(ButtonFade, IntervalFollowsTheSpeed) {
  const struct {
    TFadeSpeed speed;
    int ms;
  } cases[] = {{fsSlow, 40}, {fsMedium, 20}, {fsFast, 12}, {fsVeryFast, 8}};
  for (const auto& c : cases) {
    QWidget form;
    TLmButton b(&form);
    b.SetFadeSpeed(c.speed);
    Enter(&b);
    EXPECT_EQ(b.FadeTimerInterval(), c.ms);
  }
}

class ThrowingButton : public TLmButton {
 public:
  using TLmButton::TLmButton;
  int steps = 0;

 protected:
  void FadeInStep() override {
    ++steps;
    throw std::runtime_error("broken step");
  }
};

TEST(ButtonFade, AFailingStepIsSwallowed) {
  QWidget form;
  ThrowingButton b(&form);
  Enter(&b);
  Tick(&b, 2);
  EXPECT_EQ(b.steps, 2);
  EXPECT_TRUE(b.FadeTimerActive());
}

TEST(ButtonFade, ALatchedButtonKeepsItsPressedLookWhileThePointerComesAndGoes) {
  QWidget form;
  TLmButton b(&form);
  b.SetGroupIndex(1);
  b.SetAllowAllUp(true);
  b.SetDown(true);
  EXPECT_TRUE(b.IsOver());
  EXPECT_TRUE(b.IsPressed());
  RunFade(b);
  EXPECT_EQ(b.PressLevel(), 100);
  Leave(&b);
  EXPECT_FALSE(b.FadeTimerActive());
  EXPECT_TRUE(b.IsPressed());
  b.SetDown(false);
  EXPECT_FALSE(b.IsPressed());
  EXPECT_EQ(b.TimerStep(), TLmCustomControl::tsFadeOut);
  RunFade(b);
  EXPECT_EQ(b.PressLevel(), 0);
  EXPECT_FALSE(b.FadeTimerActive());
}

// ---------------------------------------------------------------------------------------------
// Clicks and latching

struct Group {
  QWidget form;
  TLmButton* b[3];
  explicit Group(int groupIndex, bool allowAllUp = false) {
    for (auto*& x : b) {
      x = new TLmButton(&form);
      x->SetGroupIndex(groupIndex);
      x->SetAllowAllUp(allowAllUp);
    }
  }
  std::vector<bool> Down() const { return {b[0]->Down(), b[1]->Down(), b[2]->Down()}; }
};

TEST(ButtonClick, GroupLatchingReleasesTheOthersAndKeepsOneDown) {
  Group g(1);
  ClickWithMouse(g.b[0]);
  EXPECT_EQ(g.Down(), (std::vector<bool>{true, false, false}));
  ClickWithMouse(g.b[0]);
  EXPECT_EQ(g.Down(), (std::vector<bool>{true, false, false}));
  ClickWithMouse(g.b[2]);
  EXPECT_EQ(g.Down(), (std::vector<bool>{false, false, true}));
  EXPECT_TRUE(g.b[2]->IsPressed());
  EXPECT_FALSE(g.b[0]->IsPressed());

  Group all(1, true);
  ClickWithMouse(all.b[1]);
  ClickWithMouse(all.b[1]);
  EXPECT_EQ(all.Down(), (std::vector<bool>{false, false, false}));

  Group none(0);
  for (int i = 0; i < 3; ++i) ClickWithMouse(none.b[0]);
  none.b[0]->SetDown(true);
  EXPECT_EQ(none.Down(), (std::vector<bool>{false, false, false}));
}

TEST(ButtonClick, ModalResultIsWrittenAndOnClickComesLast) {
  QDialog dialog;
  TLmButton b(&dialog);
  b.SetGroupIndex(2);
  b.SetAllowAllUp(true);
  dialog.setResult(5);
  int clicks = 0;
  b.OnClick = [&](QObject* sender) {
    ++clicks;
    EXPECT_EQ(sender, &b);
    EXPECT_EQ(dialog.result(), 0);  // written before
    EXPECT_TRUE(b.Down());          // latched before
  };
  b.Click();
  EXPECT_EQ(clicks, 1);

  b.SetModalResult(7);
  b.OnClick = nullptr;
  b.Click();
  EXPECT_EQ(dialog.result(), 7);
  EXPECT_EQ(dialog.property("ModalResult").toInt(), 7);
}

TEST(ButtonClick, QuickSecondClickIsAClickAndAReleaseOutsideIsNone) {
  QWidget form;
  TLmButton b(&form);
  int clicks = 0;
  b.OnClick = [&](QObject*) { ++clicks; };
  ClickWithMouse(&b);
  Mouse(&b, QEvent::MouseButtonDblClick);
  Release(&b);
  EXPECT_EQ(clicks, 2);
  Press(&b);
  Mouse(&b, QEvent::MouseButtonRelease, QPoint(200, 3));
  EXPECT_EQ(clicks, 2);
  Mouse(&b, QEvent::MouseButtonPress, QPoint(3, 3), Qt::RightButton);
  Mouse(&b, QEvent::MouseButtonRelease, QPoint(3, 3), Qt::RightButton);
  EXPECT_EQ(clicks, 2);
}

// ---------------------------------------------------------------------------------------------
// Keyboard

struct KeyFixture : ::testing::Test {
  QWidget form;
  TLmButton* b = nullptr;
  TLmButton* other = nullptr;
  int clicks = 0;
  void SetUp() override {
    form.resize(200, 100);
    b = new TLmButton(&form);
    other = new TLmButton(&form);
    other->move(0, 40);
    b->OnClick = [this](QObject*) { ++clicks; };
    form.show();
  }
};

TEST_F(KeyFixture, SpaceClicksOncePerKeyRepeatAndOnlyWithoutModifiers) {
  Key(b, Qt::Key_Space);
  Key(b, Qt::Key_Space, Qt::NoModifier, true);
  Key(b, Qt::Key_Space, Qt::NoModifier, true);
  EXPECT_EQ(clicks, 3);
  Key(b, Qt::Key_Space, Qt::ControlModifier);
  Key(b, Qt::Key_A);
  EXPECT_EQ(clicks, 3);
}

TEST_F(KeyFixture, EnterAndEscapeAreDialogKeys) {
  // Not focused, not default: Enter is left alone.
  EXPECT_FALSE(b->DialogKey(Qt::Key_Return, Qt::NoModifier));
  b->SetDefault(true);
  EXPECT_TRUE(b->DialogKey(Qt::Key_Enter, Qt::ShiftModifier));
  EXPECT_EQ(clicks, 1);
  // Enter that the focused control leaves unused reaches the default button through the window.
  Key(&form, Qt::Key_Return);
  EXPECT_EQ(clicks, 2);

  EXPECT_FALSE(b->DialogKey(Qt::Key_Escape, Qt::NoModifier));
  b->SetCancel(true);
  EXPECT_TRUE(b->DialogKey(Qt::Key_Escape, Qt::NoModifier));
  for (auto mod : {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier})
    EXPECT_FALSE(b->DialogKey(Qt::Key_Escape, mod));
  EXPECT_EQ(clicks, 3);

  // A button that cannot take the focus takes no dialog key.
  b->setEnabled(false);
  EXPECT_FALSE(b->DialogKey(Qt::Key_Return, Qt::NoModifier));
  b->setEnabled(true);
  b->hide();
  EXPECT_FALSE(b->DialogKey(Qt::Key_Escape, Qt::NoModifier));
  EXPECT_EQ(clicks, 3);
}

TEST_F(KeyFixture, EnterClicksTheFocusedButtonEvenWhenNotDefault) {
  QApplication::setActiveWindow(&form);
  b->setFocus();
  ASSERT_TRUE(b->hasFocus());
  EXPECT_TRUE(Key(b, Qt::Key_Return));
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(Key(b, Qt::Key_Escape));  // not a cancel button: the key goes on
  EXPECT_EQ(clicks, 1);
}

// ---------------------------------------------------------------------------------------------
// Cached gradients and painting

TEST(ButtonPaint, GradientsAreRebuiltOnlyOnSizeOrColourChange) {
  QWidget form;
  form.resize(200, 100);
  TLmButton b(&form);
  form.show();
  EXPECT_EQ(b.NormalBitmap().size(), QSize(75, 25));
  EXPECT_EQ(PixelAt(b.NormalBitmap(), 0, 0), clWhite);
  EXPECT_EQ(PixelAt(b.OverBitmap(), 0, 24), RGBToColor(123, 152, 193));  // 24 of 25 steps towards 12489846
  const qint64 key = b.NormalBitmap().cacheKey();
  Enter(&b);
  RunFade(b);
  Press(&b);
  RunFade(b);
  b.grab();
  b.SetGradientType(gtVertical);
  b.SetCaption(QStringLiteral("x"));
  EXPECT_EQ(b.NormalBitmap().cacheKey(), key);
  b.resize(25, 25);
  EXPECT_EQ(b.NormalBitmap().size(), QSize(25, 25));
  const qint64 resized = b.NormalBitmap().cacheKey();
  EXPECT_NE(resized, key);
  b.SetGradientType(gtHorizontal);
  EXPECT_NE(b.NormalBitmap().cacheKey(), resized);
  EXPECT_EQ(PixelAt(b.NormalBitmap(), 24, 0), PixelAt(b.NormalBitmap(), 24, 24));
}

struct PaintFixture : ::testing::Test {
  QWidget form;
  TLmButton* b = nullptr;
  void SetUp() override {
    form.resize(200, 100);
    b = new TLmButton(&form);
    b->resize(40, 30);
    form.show();
  }
  QImage Shot() { return b->grab().toImage(); }
};

TEST_F(PaintFixture, LayersTheGradientsAtTheFadeLevelsInsideTheFrames) {
  QImage rest = Shot();
  EXPECT_EQ(PixelAt(rest, 10, 10), PixelAt(b->NormalBitmap(), 9, 9));
  EXPECT_EQ(PixelAt(rest, 0, 0), ColorToRGB(b->Color()));  // the frame shows at the corners
  EXPECT_EQ(PixelAt(rest, 1, 1), clGray);                     // the rounded outline
  EXPECT_EQ(PixelAt(rest, 20, 0), clGray);
  EXPECT_EQ(PixelAt(rest, 0, 15), clGray);
  EXPECT_EQ(PixelAt(rest, 39, 29), ColorToRGB(b->Color()));

  Enter(b);
  RunFade(*b);
  EXPECT_EQ(PixelAt(Shot(), 10, 10), PixelAt(b->OverBitmap(), 10, 10));

  Press(b);
  RunFade(*b);
  QImage pressed = Shot();
  EXPECT_EQ(PixelAt(pressed, 10, 10), PixelAt(b->PressedBitmap(), 7, 7));
  EXPECT_EQ(PixelAt(pressed, 2, 10), PixelAt(b->OverBitmap(), 2, 10));  // the 3-pixel frame

  b->SetGradientBorder(false);
  b->update();
  pressed = Shot();
  EXPECT_EQ(PixelAt(pressed, 2, 10), PixelAt(b->PressedBitmap(), 2, 10));
  EXPECT_EQ(PixelAt(pressed, 1, 1), clGray);
}

TEST_F(PaintFixture, GlyphPlacementForEachLayoutWithoutText) {
  QImage glyph(6, 4, QImage::Format_RGB32);
  glyph.fill(Qt::red);
  glyph.setPixelColor(0, 3, Qt::green);  // the transparent colour is taken from here
  b->SetGlyph(glyph);
  const struct {
    TButtonLayout layout;
    int x, y;
  } cases[] = {{blGlyphLeft, 17, 13}, {blGlyphRight, 18, 13}, {blGlyphTop, 17, 12}, {blGlyphBottom, 17, 14}};
  for (const auto& c : cases) {
    b->SetLayout(c.layout);
    const QImage shot = Shot();
    QRect found;
    for (int y = 0; y < shot.height(); ++y)
      for (int x = 0; x < shot.width(); ++x)
        if (PixelAt(shot, x, y) == clRed) found |= QRect(x, y, 1, 1);
    EXPECT_EQ(found, QRect(c.x, c.y, 6, 4)) << c.layout;
    EXPECT_NE(PixelAt(shot, c.x, c.y + 3), clLime) << "transparent pixel drawn";
  }
  b->SetLayout(blGlyphLeft);
  b->setEnabled(false);
  EXPECT_EQ(PixelAt(Shot(), 18, 14), RGBToColor(149, 149, 149));  // tinted grey
}

TEST_F(PaintFixture, GlyphBesideTheCaption) {
  QImage glyph(6, 4, QImage::Format_RGB32);
  glyph.fill(Qt::red);
  glyph.setPixelColor(0, 3, Qt::green);
  b->SetGlyph(glyph);
  b->SetCaption(QStringLiteral("Ab"));
  const int tw = QFontMetrics(b->Font()).horizontalAdvance(QStringLiteral("Ab"));
  const int x = (8 + 40 - tw) / 2 - 2 - 6;
  EXPECT_EQ(PixelAt(Shot(), x + 1, 14), clRed);
  EXPECT_NE(PixelAt(Shot(), x - 1, 14), clRed);
}

TEST_F(PaintFixture, CaptionColoursForHotTrackAndDisabled) {
  QFont f;
  f.setPixelSize(18);
  f.setBold(true);
  f.setStyleStrategy(QFont::NoAntialias);
  b->SetFont(f);
  b->SetFontColor(clRed);
  b->SetCaption(QStringLiteral("HH"));
  EXPECT_GT(CountColor(Shot(), clRed), 0);
  b->SetHotTrack(true);
  Enter(b);
  const QImage hot = Shot();
  EXPECT_EQ(CountColor(hot, clRed), 0);
  EXPECT_GT(CountColor(hot, clBlue), 0);
  b->setEnabled(false);
  const QImage disabled = Shot();
  EXPECT_EQ(CountColor(disabled, clBlue), 0);
  EXPECT_GT(CountColor(disabled, ColorToRGB(clBtnShadow)), 0);
}

TEST_F(PaintFixture, FocusRectangleOnlyWithFocusAndShowFocusRect) {
  QApplication::setActiveWindow(&form);
  b->clearFocus();
  ASSERT_FALSE(b->hasFocus());
  const QImage plain = Shot();
  b->setFocus();
  ASSERT_TRUE(b->hasFocus());
  const QImage focused = Shot();
  // Every other pixel of the rectangle two pixels in, inverted.
  EXPECT_EQ(PixelAt(focused, 2, 2), PixelAt(plain, 2, 2) ^ 0xFFFFFF);
  EXPECT_EQ(PixelAt(focused, 3, 2), PixelAt(plain, 3, 2));
  EXPECT_EQ(PixelAt(focused, 37, 27), PixelAt(plain, 37, 27) ^ 0xFFFFFF);
  EXPECT_EQ(PixelAt(focused, 10, 10), PixelAt(plain, 10, 10));
  b->SetShowFocusRect(false);
  EXPECT_EQ(Shot(), plain);
}

TEST(ButtonProperties, DefaultsAndSetterRules) {
  QWidget form;
  TLmButton b(&form);
  EXPECT_EQ(b.size(), QSize(75, 25));
  EXPECT_EQ(b.ModalResult(), 0);
  EXPECT_TRUE(b.Glyph().isNull());
  EXPECT_EQ(b.Spacing(), 2);
  EXPECT_EQ(b.Layout(), blGlyphLeft);
  EXPECT_EQ(b.FadeSpeed(), fsMedium);
  EXPECT_TRUE(b.ShowFocusRect());
  EXPECT_FALSE(b.HotTrack());
  EXPECT_FALSE(b.Default());
  EXPECT_FALSE(b.Cancel());
  EXPECT_TRUE(b.GradientBorder());
  EXPECT_EQ(b.GroupIndex(), 0);
  EXPECT_FALSE(b.AllowAllUp());
  EXPECT_FALSE(b.Down());
  EXPECT_EQ(b.GradientType(), gtVertical);
  b.SetSpacing(-4);
  EXPECT_EQ(b.Spacing(), 0);
  QImage g(3, 3, QImage::Format_RGB32);
  g.fill(Qt::red);
  b.SetGlyph(g);
  g.fill(Qt::blue);
  EXPECT_EQ(b.Glyph().pixelColor(1, 1), QColor(Qt::red));  // a copy
}

TEST(ButtonProperties, ColourAndFontFollowTheParentControl) {
  QWidget form;
  auto* parent = new TLmButton(&form);
  parent->SetColor(14933983);
  parent->SetFontColor(13500416);
  TLmButton child(parent);
  EXPECT_EQ(child.Color(), 14933983);
  EXPECT_TRUE(child.ParentColor());
  EXPECT_EQ(child.FontColor(), 13500416);
  EXPECT_TRUE(child.ParentFont());
  parent->SetColor(clRed);
  EXPECT_EQ(child.Color(), clRed);
  child.SetColor(clBlue);
  EXPECT_FALSE(child.ParentColor());
  parent->SetColor(clLime);
  EXPECT_EQ(child.Color(), clBlue);
  child.SetFontColor(clBlack);
  EXPECT_FALSE(child.ParentFont());
  child.SetParentFont(true);
  EXPECT_EQ(child.FontColor(), 13500416);
}

}  // namespace
