#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <memory>

#include "app/BeeIcon.h"
#include "base/Colors.h"
#include "tests/common/GlossaryFixture.h"
#include "app/Startup.h"
#include "app/Unit1.h"

using app::TForm1;
using namespace base;
using namespace data;

namespace {

class Form1Layout : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp.isValid());
    BuildGlossary(tmp.path(), SampleTerms());
    QString error;
    form = app::CreateForm1(tmp.path(), &error);
    ASSERT_TRUE(form) << error.toStdString();
  }

  QWidget* Child(const QString& name) { return form->findChild<QWidget*>(name); }

  QTemporaryDir tmp;
  std::unique_ptr<TForm1> form;
};

TEST_F(Form1Layout, EveryComponentHasItsParentGeometryAndVisibility) {
  EXPECT_EQ(form->size(), QSize(824, 348));
  EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(form->windowFlags() & Qt::WindowMinimizeButtonHint);

  struct Case {
    const char* name;
    const char* parent;
    QRect geometry;
    bool visible;
  } cases[] = {
      {"StatusBar1", "Form1", {0, 328, 824, 20}, true},
      {"LmPanel1", "Form1", {4, 0, 817, 325}, true},
      {"DBGrid1", "LmPanel1", {4, 8, 301, 277}, true},
      {"DBNavigator1", "LmPanel1", {76, 292, 182, 25}, true},
      {"qvDBRichEdit1", "LmPanel1", {312, 64, 497, 221}, true},
      {"Lm1", "LmPanel1", {400, 36, 25, 25}, true},
      {"Lm4", "LmPanel1", {472, 36, 25, 25}, true},
      {"Lm5", "LmPanel1", {492, 36, 25, 25}, true},
      {"Lm14", "LmPanel1", {708, 36, 25, 25}, true},
      {"Lm15", "LmPanel1", {428, 292, 25, 25}, true},
      {"Lm19", "LmPanel1", {524, 292, 25, 25}, true},
      {"Lm25", "LmPanel1", {668, 292, 25, 25}, true},
      {"Lm26", "LmPanel1", {704, 4, 25, 25}, false},
      {"Lm27", "LmPanel1", {692, 292, 25, 25}, true},
      {"LmButton1", "LmPanel1", {516, 4, 93, 25}, true},
      {"Button1", "LmPanel1", {392, 8, 75, 25}, false},
      {"DBGrid2", "LmPanel1", {36, 40, 109, 161}, false},
      {"DBNavigator2", "LmPanel1", {28, 220, 240, 25}, false},
      {"Button2", "LmPanel1", {312, 8, 75, 25}, false},
  };
  for (const auto& c : cases) {
    QWidget* w = Child(c.name);
    ASSERT_TRUE(w) << c.name;
    EXPECT_EQ(w->parentWidget()->objectName(), c.parent) << c.name;
    EXPECT_EQ(w->geometry(), c.geometry) << c.name;
    EXPECT_EQ(w->isVisibleTo(form.get()), c.visible) << c.name;
  }
}

TEST_F(Form1Layout, LaterSiblingsLieAboveEarlierOnes) {
  // "Д" overlaps "Г" by five pixels and lies on top.
  EXPECT_EQ(form->LmPanel1->childAt(494, 40), form->Lm[5]);
  EXPECT_EQ(form->LmPanel1->childAt(490, 40), form->Lm[4]);
}

TEST_F(Form1Layout, OnlyTheStatusBarFollowsTheBottomEdge) {
  form->show();
  form->resize(1000, 500);
  EXPECT_EQ(form->StatusBar1->geometry(), QRect(0, 480, 1000, 20));
  EXPECT_EQ(form->LmPanel1->geometry(), QRect(4, 0, 817, 325));
  EXPECT_EQ(form->DBGrid1->geometry(), QRect(4, 8, 301, 277));
  form->hide();
}

TEST_F(Form1Layout, TabOrderFollowsTheNumbersAndSkipsHiddenControls) {
  const QStringList expected = {"DBGrid1", "DBNavigator1", "qvDBRichEdit1", "Lm1", "Lm2", "Lm3", "Lm4", "Lm5",
                                "Lm6", "Lm7", "Lm8", "Lm9", "Lm10", "Lm11", "Lm12", "Lm13", "Lm14", "Lm15",
                                "Lm16", "Lm17", "Lm18", "Lm27", "Lm26", "Lm25", "Lm22", "Lm23", "Lm20",
                                "Lm21", "Lm24", "LmButton1", "Button1", "DBGrid2", "DBNavigator2", "Lm19",
                                "Button2"};
  QStringList chain;
  for (QWidget* w = form->DBGrid1;; w = w->nextInFocusChain()) {
    if (w->parentWidget() == form->LmPanel1 && !chain.contains(w->objectName())) chain << w->objectName();
    if (w->nextInFocusChain() == form->DBGrid1) break;
  }
  EXPECT_EQ(chain, expected);

  // Tab from button to button on the shown window: hidden ones are never reached, nor the panel,
  // which has nothing to do with the keyboard.
  form->show();
  QApplication::setActiveWindow(form.get());
  form->Lm[18]->setFocus();
  QStringList reached;
  for (int i = 0; i < 10; ++i) {
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &tab);
    reached << QApplication::focusWidget()->objectName();
  }
  EXPECT_EQ(reached, QStringList({"Lm27", "Lm25", "Lm22", "Lm23", "Lm20", "Lm21", "Lm24", "LmButton1", "Lm19",
                                  "DBGrid1"}));
  form->hide();
}

TEST_F(Form1Layout, FontsAndColoursAreThoseOfTheLayout) {
  struct Case {
    const char* name;
    const char* family;
    int pixels;
  } cases[] = {
      {"Form1", "MS Sans Serif", 11}, {"LmPanel1", "MS Sans Serif", 11}, {"StatusBar1", "Verdana", 13},
      {"DBGrid1", "Verdana", 16},     {"qvDBRichEdit1", "Verdana", 16},  {"Lm1", "Verdana", 13},
      {"Lm5", "Verdana", 13},         {"Lm6", "MS Sans Serif", 11},      {"Lm27", "MS Sans Serif", 11},
      {"LmButton1", "MS Sans Serif", 11},
  };
  for (const auto& c : cases) {
    QWidget* w = c.name == QStringLiteral("Form1") ? form.get() : Child(c.name);
    ASSERT_TRUE(w) << c.name;
    EXPECT_EQ(w->font().family(), c.family) << c.name;
    EXPECT_EQ(w->font().pixelSize(), c.pixels) << c.name;
  }
  EXPECT_EQ(ColorToRGB(form->Lm[1]->FontColor()), 13500416);
  EXPECT_EQ(ColorToRGB(form->Lm[6]->FontColor()), 13500416);  // the panel's, taken over
  EXPECT_EQ(form->LmPanel1->Color(), 14933983);
  EXPECT_EQ(form->DBGrid1->Color(), ColorToQColor(clInfoBk));
  EXPECT_EQ(form->DBGrid1->TextColor(), QColor(0, 0, 206));
  EXPECT_EQ(form->Lm[3]->Colors()->DefaultTo(), 13745839);
  EXPECT_EQ(form->Lm[3]->Colors()->OverTo(), 12489846);
  EXPECT_EQ(form->LmButton1->Caption(), QString::fromUtf8("О программе"));
  EXPECT_EQ(form->Button2->text(), "Backup");
}

TEST_F(Form1Layout, TheGridShowsTheTermColumnAndTheNavigatorItsSevenButtons) {
  ASSERT_EQ(form->DBGrid1->ColumnCount(), 1);
  TColumn& c = form->DBGrid1->Column(0);
  EXPECT_EQ(c.FieldName(), "WordDetail");
  EXPECT_EQ(c.Width(), 265);
  EXPECT_EQ(c.Title().Caption(), QString::fromUtf8("Термин"));
  EXPECT_EQ(c.Title().Alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  EXPECT_EQ(c.Title().Font().pixelSize(), 13);
  EXPECT_EQ(form->DBNavigator1->VisibleButtons(),
            NavButton(nbPrior) | NavButton(nbNext) | NavButton(nbInsert) | NavButton(nbDelete) |
                NavButton(nbEdit) | NavButton(nbPost) | NavButton(nbCancel));
  EXPECT_FALSE(form->DBNavigator1->ShowHint());
  EXPECT_EQ(form->DBNavigator2->VisibleButtons(), nbAllButtons);
  EXPECT_EQ(form->DBGrid2->Column(0).Title().Caption(), "Letter");
  EXPECT_EQ(form->DBGrid2->Column(0).Width(), 44);
}

}  // namespace

namespace {

TEST(BeeIcon, IsA64PixelPictureOfAtMost256Colours) {
  const QImage img = app::BeeImage(64);
  EXPECT_EQ(img.size(), QSize(64, 64));
  EXPECT_EQ(img.format(), QImage::Format_Indexed8);
  EXPECT_LE(img.colorCount(), 256);
  // Something is drawn, and the corners stay transparent.
  int opaque = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) opaque += qAlpha(img.pixel(x, y)) == 255;
  EXPECT_GT(opaque, 64 * 64 / 4);
  EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
  EXPECT_TRUE(app::BeeIcon().availableSizes().contains(QSize(64, 64)));
}

}  // namespace
