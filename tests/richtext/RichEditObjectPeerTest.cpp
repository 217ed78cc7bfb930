// Another reader of our RTF shows our objects by their result pictures: an office suite converts
// a definition with a picture object and an icon to PDF, and the page shows both.

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include "tests/common/ObjectFakes.h"
#include "tests/richtext/RichEditFixture.h"

using namespace engine;
using namespace richtext;

namespace {
int CountNear(const QImage& Img, QColor C) {
  int N = 0;
  for (int Y = 0; Y < Img.height(); ++Y)
    for (int X = 0; X < Img.width(); ++X) {
      const QColor P = Img.pixelColor(X, Y);
      if (std::abs(P.red() - C.red()) < 24 && std::abs(P.green() - C.green()) < 24 && std::abs(P.blue() - C.blue()) < 24) ++N;
    }
  return N;
}
}  // namespace

TEST(RichEditObjectPeer, AnOfficeSuiteShowsTheResultPictures) {
  const QString Office = QStandardPaths::findExecutable(QStringLiteral("soffice"));
  const QString ToPng = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
  if (Office.isEmpty() || ToPng.isEmpty()) GTEST_SKIP() << "needs soffice and pdftoppm";
  QTemporaryDir Dir;
  const QColor Red(220, 30, 30);
  const QString Png = WriteFile(Dir, QStringLiteral("red.png"), PngBytes(Red, 200, 120));
  const QString Text = WriteFile(Dir, QStringLiteral("notes.txt"), "notes");
  auto E = MakeEdit(400, 300);
  E->Engine()->SetPlainText(QStringLiteral("Frames "));
  E->Engine()->SetSel({7, 7});
  ASSERT_TRUE(E->InsertFiles({Png}, false));
  ASSERT_TRUE(E->InsertFiles({Text}, false));
  QFile Rtf(Dir.filePath(QStringLiteral("definition.rtf")));
  ASSERT_TRUE(Rtf.open(QIODevice::WriteOnly));
  Rtf.write(E->EngineLines().SaveToBytes());
  Rtf.close();

  QProcess Convert;
  Convert.start(Office, {QStringLiteral("-env:UserInstallation=file://") + Dir.filePath(QStringLiteral("profile")),
                         QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("pdf"),
                         QStringLiteral("--outdir"), Dir.path(), Rtf.fileName()});
  ASSERT_TRUE(Convert.waitForFinished(240000));
  const QString Pdf = Dir.filePath(QStringLiteral("definition.pdf"));
  ASSERT_TRUE(QFile::exists(Pdf)) << Convert.readAllStandardError().toStdString();
  QProcess Render;
  Render.start(ToPng, {QStringLiteral("-r"), QStringLiteral("96"), QStringLiteral("-png"), QStringLiteral("-f"),
                       QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"), Pdf, Dir.filePath(QStringLiteral("page"))});
  ASSERT_TRUE(Render.waitForFinished(60000));
  QImage Page(Dir.filePath(QStringLiteral("page-1.png")));
  ASSERT_FALSE(Page.isNull());
  // The picture at its size (200 x 120 pixels at 96 per inch), and the icon's dark outline and label.
  EXPECT_GT(CountNear(Page, Red), 200 * 120 * 8 / 10);
  EXPECT_GT(CountNear(Page, QColor(0, 0, 0)) + CountNear(Page, QColor(90, 90, 90)), 50);
}
