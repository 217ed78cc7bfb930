// A navigator button that does nothing looks it, even under a palette that gives every state
// one text colour (as the glossary window's does).
#include <QAbstractButton>
#include <QApplication>
#include <QImage>

#include "data/DBNavigator.h"
#include "tests/common/GlossaryFixture.h"

using namespace data;

namespace {

int PixelsOf(QAbstractButton* b, const QColor& c) {
  const QImage image = b->grab().toImage();
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += image.pixelColor(x, y).rgb() == c.rgb();
  return n;
}

TEST(NavigatorLook, DisabledButtonsFadeUnderAPaletteWithOneTextColour) {
  QTemporaryDir dir;
  MakeGlossary(dir.path(), {{"А", {"Акация"}}});
  GlossaryTables t(dir.path());
  t.Open();
  QWidget window;
  const QColor blue(0, 0, 0xCD);
  QPalette p = window.palette();
  p.setColor(QPalette::ButtonText, blue);  // every colour group
  window.setPalette(p);
  auto* nav = new TDBNavigator(&window);
  nav->setGeometry(0, 0, 240, 25);
  nav->SetDataSource(&t.DataSource2);
  window.show();
  QApplication::processEvents();

  ASSERT_FALSE(nav->ButtonEnabled(nbPost));
  EXPECT_EQ(PixelsOf(nav->Button(nbPost), blue), 0);
  t.Table2.Edit();
  ASSERT_TRUE(nav->ButtonEnabled(nbPost));
  EXPECT_GT(PixelsOf(nav->Button(nbPost), blue), 0);
}

}  // namespace
