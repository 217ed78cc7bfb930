// The engine window as the user sees and drives it: where bullets and text are drawn, how the
// view scrolls, which keys undo and redo.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPainter>
#include <QProcess>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QWheelEvent>
#include <vector>

#include "engine/RichEngine.h"

using namespace engine;

namespace {

// A plain paragraph, then a bulleted one with a hanging indent as editors write it: the bullet
// at 0.25 in (24 px), every line of its text at 0.5 in (48 px).
QByteArray BulletedRtf(int repeat) {
  QByteArray item;
  for (int i = 0; i < repeat; ++i) item += "treat the colonies before the main flow and never during it ";
  return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Verdana;}}\\fs24"
         "\\pard Rules:\\par"
         "\\pard{\\*\\pn\\pnlvlblt\\pnindent360{\\pntxtb\\'95}}\\fi-360\\li720{\\pntext \\'95\\tab}" +
         item + "\\par}";
}

bool Ink(QRgb p) { return qGray(p) < 160; }

// The bands of rows that hold ink: one per line of text, top to bottom.
std::vector<std::pair<int, int>> Bands(const QImage& img) {
  std::vector<std::pair<int, int>> bands;
  int start = -1;
  for (int y = 0; y <= img.height(); ++y) {
    bool any = false;
    for (int x = 0; y < img.height() && x < img.width() && !any; ++x) any = Ink(img.pixel(x, y));
    if (any && start < 0) start = y;
    if (!any && start >= 0) {
      bands.emplace_back(start, y);
      start = -1;
    }
  }
  return bands;
}

// The first columns of the runs of inked columns within a band, left to right.
std::vector<int> RunStarts(const QImage& img, std::pair<int, int> band) {
  std::vector<int> starts;
  bool prev = false;
  for (int x = 0; x < img.width(); ++x) {
    bool any = false;
    for (int y = band.first; y < band.second && !any; ++y) any = Ink(img.pixel(x, y));
    if (any && !prev) starts.push_back(x);
    prev = any;
  }
  return starts;
}

// Where the bullet, the first line's text and the wrapped line start, in pixels from where the
// plain paragraph starts.
struct BulletGeometry {
  int bullet = -1, firstText = -1, wrapped = -1;
};

BulletGeometry Measure(const QImage& img) {
  BulletGeometry g;
  const auto bands = Bands(img);
  if (bands.size() < 3) return g;
  const int margin = RunStarts(img, bands[0]).front();
  const auto first = RunStarts(img, bands[1]);
  if (first.size() < 2) return g;
  g.bullet = first[0] - margin;
  g.firstText = first[1] - margin;
  g.wrapped = RunStarts(img, bands[2]).front() - margin;
  return g;
}

QImage Shot(TRichEngine& e) {
  QApplication::processEvents();
  return e.viewport()->grab().toImage();
}

void Wheel(TRichEngine& e, int notches) {
  const QPointF at(10, 10);
  QWheelEvent w(at, e.viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120 * notches), Qt::NoButton,
                Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(e.viewport(), &w);
}

// True when the line at the top of the view is shown whole.
bool TopLineWhole(TRichEngine& e) {
  const int top = e.LineIndex(e.FirstVisibleLine());
  return e.PosFromChar(top).y() == 0;
}

}  // namespace

TEST(RichEngineView, ABulletSitsAtTheFirstLineIndentAndAllTextLinesUpAtTheHangingIndent) {
  TRichEngine e;
  e.resize(420, 200);
  e.show();
  ASSERT_TRUE(e.LoadRtf(BulletedRtf(1)));
  ASSERT_GE(e.GetLineCount(), 3);  // the item wraps

  const BulletGeometry screen = Measure(Shot(e));
  EXPECT_NEAR(screen.bullet, 24, 3);
  EXPECT_NEAR(screen.firstText, 48, 2);
  EXPECT_NEAR(screen.wrapped, 48, 2);

  // On paper the same.
  QImage page(420, 200, QImage::Format_RGB32);
  page.setDotsPerMeterX(int(96 / 0.0254 + 0.5));
  page.setDotsPerMeterY(int(96 / 0.0254 + 0.5));
  page.fill(Qt::white);
  {
    QPainter p(&page);
    FORMATRANGE fr;
    fr.hdc = fr.hdcTarget = &p;
    fr.rc = fr.rcPage = {0, 0, 420 * 15, 200 * 15};
    fr.chrg = {0, -1};
    e.Perform(EM_FORMATRANGE, 1, LPARAM(&fr));
    e.Perform(EM_FORMATRANGE, 0, 0);
  }
  const BulletGeometry paper = Measure(page);
  EXPECT_NEAR(paper.bullet, 24, 3);
  EXPECT_NEAR(paper.firstText, 48, 2);
  EXPECT_NEAR(paper.wrapped, 48, 2);

  // The stored indents are untouched by how they are shown.
  PARAFORMAT2 pf;
  CHARRANGE last{e.TextLength(), e.TextLength()};
  e.Perform(EM_EXSETSEL, 0, LPARAM(&last));
  e.Perform(EM_GETPARAFORMAT, 0, LPARAM(&pf));
  EXPECT_EQ(pf.wNumbering, PFN_BULLET);
  EXPECT_EQ(pf.dxStartIndent, 360);
  EXPECT_EQ(pf.dxOffset, 360);
  EXPECT_TRUE(e.SaveRtf().contains("\\fi-360\\li720"));
}

TEST(RichEngineView, ABulletWithoutAHangingIndentKeepsItsTextClearOfTheBullet) {
  // Set from a toolbar: a bullet and no offset. The text follows the bullet; wrapped lines start
  // under it.
  TRichEngine e;
  e.resize(420, 200);
  e.show();
  ASSERT_TRUE(e.LoadRtf(BulletedRtf(1)));
  CHARRANGE all{0, -1};
  e.Perform(EM_EXSETSEL, 0, LPARAM(&all));
  PARAFORMAT2 pf;
  pf.dwMask = PFM_NUMBERING | PFM_STARTINDENT | PFM_OFFSET;
  pf.wNumbering = PFN_BULLET;
  pf.dxStartIndent = 0;
  pf.dxOffset = 0;
  e.Perform(EM_SETPARAFORMAT, 0, LPARAM(&pf));
  CHARRANGE none{0, 0};
  e.Perform(EM_EXSETSEL, 0, LPARAM(&none));
  const QImage img = Shot(e);
  const auto bands = Bands(img);
  ASSERT_GE(bands.size(), 3u);
  const auto first = RunStarts(img, bands[1]);
  ASSERT_GE(first.size(), 2u);
  EXPECT_LE(first[0], 3);              // the bullet at the margin
  EXPECT_GE(first[1], first[0] + 8);   // the text after it, not over it
  EXPECT_LE(RunStarts(img, bands[2]).front(), 3);

  // Taken out of the list, the paragraph is a plain one again.
  pf.dwMask = PFM_NUMBERING;
  pf.wNumbering = 0;
  e.Perform(EM_EXSETSEL, 0, LPARAM(&all));
  e.Perform(EM_SETPARAFORMAT, 0, LPARAM(&pf));
  e.Perform(EM_EXSETSEL, 0, LPARAM(&none));
  const QImage plain = Shot(e);
  EXPECT_LE(RunStarts(plain, Bands(plain)[1]).front(), 3);
}

TEST(RichEngineView, BulletsLineUpAsLibreOfficeDrawsThem) {
  const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
  const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
  if (soffice.isEmpty() || pdftoppm.isEmpty()) GTEST_SKIP() << "LibreOffice or pdftoppm is not installed";

  // Long enough to wrap on the office suite's page too.
  const QByteArray rtf = BulletedRtf(3);
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QFile file(dir.filePath(QStringLiteral("bullets.rtf")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(rtf);
  file.close();
  QProcess office;
  office.start(soffice, {QStringLiteral("-env:UserInstallation=file://") + dir.filePath(QStringLiteral("profile")),
                         QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("pdf"),
                         QStringLiteral("--outdir"), dir.path(), file.fileName()});
  ASSERT_TRUE(office.waitForFinished(300000)) << "LibreOffice did not finish";
  QProcess render;
  render.start(pdftoppm, {QStringLiteral("-r"), QStringLiteral("96"), QStringLiteral("-png"),
                          QStringLiteral("-singlefile"), dir.filePath(QStringLiteral("bullets.pdf")),
                          dir.filePath(QStringLiteral("page"))});
  ASSERT_TRUE(render.waitForFinished(60000));
  const QImage page(dir.filePath(QStringLiteral("page.png")));
  ASSERT_FALSE(page.isNull()) << office.readAllStandardError().toStdString();
  const BulletGeometry theirs = Measure(page);
  ASSERT_GE(theirs.wrapped, 0);

  TRichEngine e;
  e.resize(420, 300);
  e.show();
  ASSERT_TRUE(e.LoadRtf(rtf));
  const BulletGeometry ours = Measure(Shot(e));
  EXPECT_NEAR(ours.bullet, theirs.bullet, 3);
  EXPECT_NEAR(ours.firstText, theirs.firstText, 2);
  EXPECT_NEAR(ours.wrapped, theirs.wrapped, 2);
}

TEST(RichEngineView, CtrlYAndCtrlShiftZBothRedo) {
  TRichEngine e;
  e.show();
  QTest::keyClicks(&e, QStringLiteral("wax"));
  for (Qt::KeyboardModifiers redo : {Qt::KeyboardModifiers(Qt::ControlModifier),
                                     Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier)}) {
    QTest::keyClick(&e, Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(e.Text(), QString());
    QTest::keyClick(&e, redo & Qt::ShiftModifier ? Qt::Key_Z : Qt::Key_Y, redo);
    EXPECT_EQ(e.Text(), QStringLiteral("wax")) << (redo & Qt::ShiftModifier ? "Ctrl+Shift+Z" : "Ctrl+Y");
  }
  // Read-only: nothing to redo into.
  QTest::keyClick(&e, Qt::Key_Z, Qt::ControlModifier);
  e.Perform(EM_SETREADONLY, 1);
  QTest::keyClick(&e, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(e.Text(), QString());
}

TEST(RichEngineView, TheEngineKeysHoldWhateverTheDesktopBinds) {
  // Some desktops bind redo to Ctrl+Shift+Z only; the engine's own keys hold there too.
  struct Case {
    Qt::KeyboardModifiers mods;
    int key;
    TEditKey command;
  } cases[] = {
      {Qt::ControlModifier, Qt::Key_Y, TEditKey::Redo},
      {Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z, TEditKey::Redo},
      {Qt::ControlModifier, Qt::Key_Z, TEditKey::Undo},
      {Qt::AltModifier, Qt::Key_Backspace, TEditKey::Undo},
      {Qt::ShiftModifier, Qt::Key_Delete, TEditKey::Cut},
      {Qt::ControlModifier, Qt::Key_Insert, TEditKey::Copy},
      {Qt::ShiftModifier, Qt::Key_Insert, TEditKey::Paste},
      {Qt::NoModifier, Qt::Key_Y, TEditKey::None},
      {Qt::ControlModifier | Qt::AltModifier, Qt::Key_Y, TEditKey::None},
  };
  for (const Case& c : cases) {
    const QKeyEvent k(QEvent::KeyPress, c.key, c.mods);
    EXPECT_EQ(EditKeyOf(&k), c.command) << QKeySequence(c.key | c.mods).toString().toStdString();
  }
}

TEST(RichEngineView, TheViewScrollsByWholeLines) {
  TRichEngine e;
  e.resize(300, 110);
  e.show();
  // Lines of two heights, so that no fixed pixel step lands on line tops by chance.
  QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Verdana;}}";
  for (int i = 0; i < 40; ++i) rtf += QByteArray(i % 2 ? "\\fs20" : "\\fs31") + " line " + QByteArray::number(i) + "\\par ";
  rtf += "}";
  ASSERT_TRUE(e.LoadRtf(rtf));
  QApplication::processEvents();
  QScrollBar* bar = e.verticalScrollBar();
  ASSERT_GT(bar->maximum(), 0);

  Wheel(e, 1);
  EXPECT_EQ(e.FirstVisibleLine(), QApplication::wheelScrollLines());
  EXPECT_TRUE(TopLineWhole(e));
  Wheel(e, -1);
  EXPECT_EQ(e.FirstVisibleLine(), 0);
  EXPECT_EQ(bar->value(), 0);

  // The arrows of the scroll bar move one line.
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(e.FirstVisibleLine(), 1);
  EXPECT_TRUE(TopLineWhole(e));
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_TRUE(TopLineWhole(e));
  bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_TRUE(TopLineWhole(e));

  // Down to the end, even where the text's height is no whole number of lines.
  Wheel(e, 30);
  EXPECT_TRUE(TopLineWhole(e));
  EXPECT_EQ(bar->value(), bar->maximum());
  QTextCursor end(e.document());
  end.movePosition(QTextCursor::End);
  EXPECT_LE(e.cursorRect(end).bottom(), e.viewport()->height());  // the last line in view, whole

  // The caret walking off the bottom and the top of the view.
  bar->setValue(0);
  CHARRANGE start{0, 0};
  e.Perform(EM_EXSETSEL, 0, LPARAM(&start));
  for (int i = 0; i < 12; ++i) {
    QTest::keyClick(&e, Qt::Key_Down);
    EXPECT_TRUE(TopLineWhole(e)) << "down " << i;
  }
  EXPECT_GT(bar->value(), 0);
  for (int i = 0; i < 12; ++i) {
    QTest::keyClick(&e, Qt::Key_Up);
    EXPECT_TRUE(TopLineWhole(e)) << "up " << i;
  }
}
