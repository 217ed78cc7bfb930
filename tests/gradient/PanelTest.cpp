// The gradient panel: its settings, the background rebuild, the client area and the caption.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <QToolButton>

#include "tests/gradient/GradientTestUtil.h"
#include "gradient/LmButton.h"
#include "gradient/LmPanel.h"

using namespace base;
using namespace gradient;

namespace {

struct PanelFixture : ::testing::Test {
  QWidget form;
  TLmPanel* panel = nullptr;
  void SetUp() override {
    form.resize(900, 400);
    panel = new TLmPanel(&form);
    form.show();
  }
  qint64 Key() const { return panel->Background().cacheKey(); }
};

TEST_F(PanelFixture, ConstructionValues) {
  EXPECT_EQ(panel->size(), QSize(185, 105));
  EXPECT_EQ(panel->Caption(), QString());
  EXPECT_EQ(panel->CaptionPosition(), cpTopLeft);
  EXPECT_EQ(panel->CornerWidth(), 10);
  EXPECT_EQ(panel->BorderWidth(), 2);
  EXPECT_EQ(panel->BorderColor(), clGray);
  EXPECT_EQ(panel->OuterColor(), clBtnFace);
  EXPECT_EQ(panel->TextShadowColor(), clWhite);
  EXPECT_TRUE(panel->Antialiased());
  EXPECT_FALSE(panel->Gradient());
  EXPECT_EQ(panel->DefaultFrom(), clWhite);
  EXPECT_EQ(panel->DefaultTo(), 14933983);
  EXPECT_EQ(panel->GradientType(), gtVertical);
  EXPECT_EQ(panel->Color(), 14933983);
  EXPECT_EQ(panel->FontColor(), 13500416);
  EXPECT_EQ(panel->Background().size(), QSize(185, 105));
}

TEST_F(PanelFixture, GradientAndAntialiasedAreNeverBothOn) {
  panel->SetGradient(true);
  EXPECT_FALSE(panel->Gradient());
  panel->SetAntialiased(false);
  panel->SetGradient(true);
  EXPECT_TRUE(panel->Gradient());
  panel->SetAntialiased(true);
  EXPECT_FALSE(panel->Gradient());
  EXPECT_TRUE(panel->Antialiased());
}

TEST_F(PanelFixture, SettersRebuildRepaintOrIgnoreAsTheyShould) {
  qint64 key = Key();
  panel->SetCornerWidth(-1);
  panel->SetBorderWidth(0);
  panel->SetBorderWidth(-3);
  EXPECT_EQ(panel->CornerWidth(), 10);
  EXPECT_EQ(panel->BorderWidth(), 2);
  panel->SetTextShadowColor(clRed);
  panel->SetCaptionPosition(cpBottomRight);
  panel->SetDefaultFrom(clRed);
  panel->SetBorderColor(clGray);  // unchanged
  EXPECT_EQ(Key(), key);

  // Each of these rebuilds.
  const std::function<void()> rebuilders[] = {
      [&] { panel->SetCornerWidth(0); },        [&] { panel->SetBorderWidth(1); },
      [&] { panel->SetBorderColor(clBlack); },  [&] { panel->SetOuterColor(clWhite); },
      [&] { panel->SetGradientType(gtRadial); }, [&] { panel->SetAntialiased(false); },
      [&] { panel->SetGradient(true); },        [&] { panel->SetColor(clAqua); },
      [&] { panel->SetCaptionPosition(cpGroupBox); }, [&] { panel->SetCaptionPosition(cpTopLeft); },
  };
  for (size_t i = 0; i < std::size(rebuilders); ++i) {
    key = Key();
    rebuilders[i]();
    EXPECT_NE(Key(), key) << "setter " << i;
  }
}

TEST_F(PanelFixture, DefaultColoursShowOnlyAfterTheNextRebuild) {
  panel->SetAntialiased(false);
  panel->SetGradient(true);
  const TColor before = PixelAt(panel->Background(), 90, 20);
  panel->SetDefaultFrom(clRed);
  EXPECT_EQ(PixelAt(panel->Background(), 90, 20), before);
  panel->resize(186, 105);
  EXPECT_NE(PixelAt(panel->Background(), 90, 20), before);
  // The inside follows a vertical gradient over the whole height, limited to the rounded border.
  QImage expected = Bitmap(186, 105);
  FillGradient(expected, QRect(0, 0, 186, 105), clRed, 14933983, gtVertical);
  EXPECT_EQ(PixelAt(panel->Background(), 90, 20), PixelAt(expected, 90, 20));
  EXPECT_EQ(PixelAt(panel->Background(), 90, 60), PixelAt(expected, 90, 60));
  EXPECT_EQ(PixelAt(panel->Background(), 0, 0), ColorToRGB(clBtnFace));
}

TEST_F(PanelFixture, LoadingPutsTheRebuildOffUntilLoaded) {
  const qint64 key = Key();
  panel->BeginLoad();
  panel->SetBorderColor(clRed);
  EXPECT_EQ(Key(), key);
  panel->Loaded();
  EXPECT_NE(Key(), key);
  EXPECT_EQ(PixelAt(panel->Background(), 0, 50), clRed);
}

TEST_F(PanelFixture, TheGlossaryPanelBackground) {
  panel->setGeometry(4, 0, 817, 325);
  const QImage& bg = panel->Background();
  ASSERT_EQ(bg.size(), QSize(817, 325));
  const TColor face = ColorToRGB(clBtnFace);
  EXPECT_EQ(PixelAt(bg, 400, 160), 14933983);
  EXPECT_EQ(PixelAt(bg, 20, 160), 14933983);
  EXPECT_EQ(PixelAt(bg, 0, 0), face);
  EXPECT_EQ(PixelAt(bg, 816, 0), face);
  EXPECT_EQ(PixelAt(bg, 0, 324), face);
  EXPECT_EQ(PixelAt(bg, 816, 324), face);
  // A pen 5 source pixels wide: the first target column is all border, the second two thirds.
  EXPECT_EQ(PixelAt(bg, 0, 160), clGray);
  EXPECT_EQ(PixelAt(bg, 1, 160), RGBToColor(159, 159, 161));
  EXPECT_EQ(PixelAt(bg, 2, 160), 14933983);
  EXPECT_EQ(PixelAt(bg, 816, 160), clGray);
  EXPECT_EQ(PixelAt(bg, 815, 160), RGBToColor(159, 159, 161));
  EXPECT_EQ(PixelAt(bg, 400, 0), clGray);
  EXPECT_EQ(PixelAt(bg, 400, 324), clGray);
  // The rounded corner is shaded between the outside and the border.
  const TColor corner = PixelAt(bg, 1, 1);
  EXPECT_NE(corner, face);
  EXPECT_NE(corner, clGray);

  // What is painted: the background, the outside colour beyond it.
  const QImage shot = panel->grab().toImage();
  EXPECT_EQ(PixelAt(shot, 0, 0), face);
  EXPECT_EQ(PixelAt(shot, 400, 160), 14933983);
}

// The plain way to get the anti-aliased background: the whole frame at three times the size,
// averaged down over the edge band, the inside left flat.
QImage WholeTripleReference(const TLmPanel& panel) {
  const int W = panel.width(), H = panel.height();
  QImage whole(3 * W, 3 * H, QImage::Format_BGR888);
  whole.fill(ColorToQColor(ColorToRGB(panel.OuterColor())));
  const int pen = 3 * panel.BorderWidth() - 1, inset = pen / 2;
  const int th = QFontMetrics(panel.Font()).height();
  const int top = panel.CaptionPosition() == cpGroupBox ? inset + (3 * th) / 2 : inset;
  const int corner = 3 * panel.CornerWidth();
  {
    QPainter p(&whole);
    QPen outline(ColorToQColor(panel.BorderColor()));
    outline.setWidth(pen);
    outline.setJoinStyle(Qt::MiterJoin);
    p.setPen(outline);
    p.setBrush(ColorToQColor(panel.Color()));
    p.drawRoundedRect(QRectF(inset + 0.5, top + 0.5, 3 * W - 2 * inset - 1, 3 * H - inset - top - 1),
                      corner / 2.0, corner / 2.0, Qt::AbsoluteSize);
  }
  QImage target(W, H, QImage::Format_BGR888);
  DownsampleEdges(whole, target, 3, panel.Color(), panel.CornerWidth() + 20);
  return target;
}

TEST_F(PanelFixture, TheBandIsDrawnAsTheWholeTriplePictureWouldBe) {
  struct Case {
    int w, h, cornerWidth, borderWidth;
    TLmCaptionPos position;
  };
  const Case cases[] = {{817, 325, 10, 2, cpTopLeft},
                        {185, 105, 0, 1, cpTopLeft},
                        {301, 97, 27, 3, cpGroupBox},
                        {64, 40, 10, 2, cpTopLeft}};  // too small for strips: drawn whole
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " corner " << c.cornerWidth);
    panel->resize(c.w, c.h);
    panel->SetCornerWidth(c.cornerWidth);
    panel->SetBorderWidth(c.borderWidth);
    panel->SetCaptionPosition(c.position);
    panel->SetBorderColor(RGBToColor(40, 90, 160));
    const QImage expected = WholeTripleReference(*panel);
    const QImage& got = panel->Background();
    ASSERT_EQ(got.size(), expected.size());
    int differing = 0;
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x)
        if (got.pixel(x, y) != expected.pixel(x, y) && differing++ < 3)
          ADD_FAILURE() << "pixel " << x << "," << y;
    EXPECT_EQ(differing, 0);
  }
}

TEST_F(PanelFixture, WithoutAntialiasingTheBorderIsOnePixel) {
  panel->SetAntialiased(false);
  const QImage& bg = panel->Background();
  EXPECT_EQ(PixelAt(bg, 0, 50), clGray);
  EXPECT_EQ(PixelAt(bg, 1, 50), 14933983);
  EXPECT_EQ(PixelAt(bg, 184, 50), clGray);
  EXPECT_EQ(PixelAt(bg, 183, 50), 14933983);
  EXPECT_EQ(PixelAt(bg, 90, 0), clGray);
  EXPECT_EQ(PixelAt(bg, 90, 104), clGray);
  EXPECT_EQ(PixelAt(bg, 0, 0), ColorToRGB(clBtnFace));
}

TEST_F(PanelFixture, ClientAreaForAlignedChildren) {
  panel->resize(200, 120);
  EXPECT_EQ(panel->ClientAreaRect(), QRect(3, 3, 194, 114));
  EXPECT_EQ(panel->contentsRect(), QRect(3, 3, 194, 114));
  panel->SetBorderWidth(4);
  EXPECT_EQ(panel->ClientAreaRect(), QRect(5, 5, 190, 110));

  panel->SetCaptionPosition(cpGroupBox);
  const int half = QFontMetrics(panel->Font()).height() / 2;
  const int top = half + 2 + half - 1, bottom = 120 - (half + 2) + (half - 1);
  EXPECT_EQ(panel->ClientAreaRect(), QRect(5, top, 190, bottom - top));
  EXPECT_EQ(panel->contentsRect(), panel->ClientAreaRect());
}

TEST_F(PanelFixture, CaptionRectanglesAndFlagsByPosition) {
  panel->resize(200, 100);
  const struct {
    TLmCaptionPos pos;
    QRect rect;
    unsigned flags;
  } cases[] = {
      {cpGroupBox, QRect(6, 0, 188, 98), DT_LEFT | DT_TOP},
      {cpTopLeft, QRect(6, 2, 188, 96), DT_LEFT | DT_TOP},
      {cpTopCenter, QRect(6, 2, 188, 96), DT_CENTER},
      {cpTopRight, QRect(6, 2, 188, 96), DT_RIGHT},
      {cpMiddleLeft, QRect(2, 2, 192, 96), DT_VCENTER},
      {cpMiddleCenter, QRect(6, 2, 188, 96), DT_VCENTER | DT_CENTER},
      {cpMiddleRight, QRect(6, 2, 192, 96), DT_VCENTER | DT_RIGHT},
      {cpBottomLeft, QRect(6, 2, 188, 96), DT_BOTTOM},
      {cpBottomCenter, QRect(6, 2, 188, 96), DT_BOTTOM | DT_CENTER},
      {cpBottomRight, QRect(6, 2, 188, 96), DT_BOTTOM | DT_RIGHT},
  };
  for (const auto& c : cases) {
    panel->SetCaptionPosition(c.pos);
    unsigned flags = 0;
    EXPECT_EQ(panel->CaptionRect(&flags), c.rect) << c.pos;
    EXPECT_EQ(flags, c.flags | DT_SINGLELINE | DT_END_ELLIPSIS) << c.pos;
  }
  // A square corner moves the group-box caption off the edge.
  panel->SetCaptionPosition(cpGroupBox);
  panel->SetCornerWidth(0);
  panel->SetBorderWidth(1);
  EXPECT_EQ(panel->CaptionRect().left(), 5);
}

TEST_F(PanelFixture, CaptionDrawingAndTheGroupBoxCut) {
  const QImage empty = panel->grab().toImage();
  panel->SetCaption(QString());
  EXPECT_EQ(panel->grab().toImage(), empty);
  panel->SetCaption(QStringLiteral("Caption"));
  EXPECT_NE(panel->grab().toImage(), empty);
  panel->SetShowCaption(false);
  EXPECT_EQ(panel->grab().toImage(), empty);
  panel->SetShowCaption(true);

  // The group box cuts its top border behind the caption (blank text shows the cut alone).
  panel->SetAntialiased(false);
  panel->SetCaptionPosition(cpGroupBox);
  const int half = QFontMetrics(panel->Font()).height() / 2;
  panel->SetCaption(QString());
  const QImage uncut = panel->grab().toImage();
  EXPECT_EQ(PixelAt(uncut, 20, half), clGray);
  panel->SetCaption(QStringLiteral("        "));
  const QImage cut = panel->grab().toImage();
  EXPECT_EQ(PixelAt(cut, 20, half), ColorToRGB(clBtnFace));
  EXPECT_EQ(PixelAt(cut, 150, half), clGray);
}

TEST_F(PanelFixture, ClicksDoubleClicksAndParentColour) {
  int clicks = 0, doubles = 0;
  panel->OnClick = [&](QObject*) { ++clicks; };
  panel->OnDblClick = [&](QObject*) { ++doubles; };
  ClickWithMouse(panel);
  Mouse(panel, QEvent::MouseButtonDblClick);
  Release(panel);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(doubles, 1);

  TLmPanel inner(panel);
  inner.SetParentColor(true);
  EXPECT_EQ(inner.Color(), 14933983);
  EXPECT_EQ(inner.OuterColor(), 14933983);
  panel->SetColor(clRed);
  EXPECT_EQ(inner.Color(), clRed);
  EXPECT_EQ(inner.OuterColor(), clRed);
  EXPECT_EQ(PixelAt(inner.Background(), 0, 0), clRed);

  // A button on the panel takes its colour and font colour.
  TLmButton button(panel);
  EXPECT_EQ(button.Color(), clRed);
  EXPECT_EQ(button.FontColor(), 13500416);
}

TEST_F(PanelFixture, ADesktopPaletteChangeRedrawsSystemColours) {
  const QPalette original = QApplication::palette();
  QPalette changed = original;
  changed.setColor(QPalette::Button, QColor(1, 2, 3));  // the face of buttons and dialogs
  QApplication::setPalette(changed);
  QCoreApplication::processEvents();
  const TColor corner = PixelAt(panel->Background(), 0, 0);
  QApplication::setPalette(original);
  QCoreApplication::processEvents();
  EXPECT_EQ(corner, RGBToColor(1, 2, 3));
  EXPECT_EQ(PixelAt(panel->Background(), 0, 0), ColorToRGB(clBtnFace));
}

}  // namespace

TEST_F(PanelFixture, ClicksInsideThePanelLeaveTheFocusWhereItWas) {
  // The panel has nothing to do with the keyboard: neither a click on it nor one on a child that
  // takes no focus (a bar of tool buttons, say) moves the focus away from where the user had it.
  panel->resize(300, 120);
  auto* edit = new QLineEdit(panel);
  edit->setGeometry(10, 10, 80, 22);
  auto* tool = new QToolButton(panel);
  tool->setFocusPolicy(Qt::NoFocus);
  tool->setGeometry(10, 40, 22, 22);
  auto* button = new TLmButton(panel);
  button->setGeometry(40, 40, 25, 25);
  for (QWidget* w : {static_cast<QWidget*>(edit), static_cast<QWidget*>(tool), static_cast<QWidget*>(button)}) w->show();
  QApplication::setActiveWindow(&form);
  edit->setFocus();
  ASSERT_TRUE(edit->hasFocus());
  QTest::mouseClick(tool, Qt::LeftButton);
  EXPECT_TRUE(edit->hasFocus());
  QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(250, 100));
  EXPECT_TRUE(edit->hasFocus());
  EXPECT_FALSE(panel->CanFocus());

  // The kit's buttons still take it when clicked, and Tab goes round without stopping on the panel.
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_TRUE(button->hasFocus());
  QTest::keyClick(button, Qt::Key_Tab);
  EXPECT_TRUE(edit->hasFocus());
  QTest::keyClick(edit, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_TRUE(button->hasFocus());
}
