// A table and a two-level numbered list copied from LibreOffice Writer, pasted into a definition
// of the glossary window, posted and read back after a restart: still a table and a two-level
// list, in the window and when LibreOffice reads what was stored.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <memory>

#include "app/Startup.h"
#include "app/Unit1.h"
#include "data/DBNavigator.h"
#include "engine/RichEngine.h"
#include "rtf/Lists.h"
#include "tests/common/GlossaryFixture.h"
#include "tests/common/SourcePath.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

using namespace data;

namespace {

QByteArray Fixture(const QString& name) {
  QFile f(SourcePath(QStringLiteral("tests/app/fixtures/")) + name);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
  return f.readAll();
}

// What the definition shows: its tables' cells row by row, and its list items with their level
// and label.
struct Shown {
  std::vector<QStringList> tableRows;
  QStringList items;  // "level label text"
};

Shown ShownIn(QTextDocument* doc) {
  Shown s;
  for (QTextFrame* f : doc->rootFrame()->childFrames()) {
    auto* t = qobject_cast<QTextTable*>(f);
    if (!t) continue;
    for (int r = 0; r < t->rows(); ++r) {
      QStringList row;
      for (int c = 0; c < t->columns(); ++c) {
        QTextCursor a = t->cellAt(r, c).firstCursorPosition(), z = t->cellAt(r, c).lastCursorPosition();
        a.setPosition(z.position(), QTextCursor::KeepAnchor);
        row << a.selectedText().trimmed();
      }
      s.tableRows.push_back(row);
    }
  }
  rtf::ListNumberer numberer;
  for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
    const QString label = numberer.Next(b);
    int level = -1;
    if (rtf::ListOfBlock(b, nullptr, &level))
      s.items << QStringLiteral("%1 %2 %3").arg(level).arg(label, b.text().trimmed());
  }
  return s;
}

const std::vector<QStringList> kRows = {
    {QStringLiteral("Семья"), QStringLiteral("Рамки"), QStringLiteral("Матка")},
    {QStringLiteral("№ 1"), QStringLiteral("8"), QStringLiteral("есть")},
    {QStringLiteral("№ 2"), QStringLiteral("6"), QStringLiteral("нет")},
};
const QStringList kItems = {QStringLiteral("0 1. Осмотреть гнездо"), QStringLiteral("1 1. Проверить расплод"),
                            QStringLiteral("1 2. Оценить запасы мёда"), QStringLiteral("0 2. Почистить дно улья")};

TEST(Form1Paste, ATableAndATwoLevelListFromLibreOfficeComeBackAfterPostAndRestart) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  BuildGlossary(tmp.path(), SampleTerms());
  const QByteArray copied = Fixture(QStringLiteral("libreoffice-table-and-list.rtf"));
  QByteArray stored;
  {
    QString error;
    std::unique_ptr<app::TForm1> form = app::CreateForm1(tmp.path(), &error);
    ASSERT_TRUE(form) << error.toStdString();
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_EQ(form->Table2->State(), dsEdit);

    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("text/rtf"), copied);
    mime->setText(QStringLiteral("Осмотр пасеки весной"));
    QApplication::clipboard()->setMimeData(mime);

    engine::TRichEngine* e = form->qvDBRichEdit1->Handle();
    QTest::mouseClick(e->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
    QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
    const Shown pasted = ShownIn(e->document());
    EXPECT_EQ(pasted.tableRows, kRows);
    EXPECT_EQ(pasted.items.join(u'\n'), kItems.join(u'\n'));

    QTest::mouseClick(form->DBNavigator1->Button(nbPost), Qt::LeftButton);
    EXPECT_EQ(form->Table2->State(), dsBrowse);
    stored = form->Table2TextDetail->AsBytes();
    form->hide();
  }
  // Stored as a table and a defined list with levels, not as tabs and flat paragraphs.
  EXPECT_TRUE(stored.contains("\\trowd") && stored.contains("\\cell") && stored.contains("\\row"));
  EXPECT_TRUE(stored.contains("\\listtable") && stored.contains("\\ilvl1"));

  QString error;
  std::unique_ptr<app::TForm1> again = app::CreateForm1(tmp.path(), &error);
  ASSERT_TRUE(again) << error.toStdString();
  const Shown restarted = ShownIn(again->qvDBRichEdit1->Handle()->document());
  EXPECT_EQ(restarted.tableRows, kRows);
  EXPECT_EQ(restarted.items.join(u'\n'), kItems.join(u'\n'));

  // LibreOffice reads the stored definition as a table and a list within a list.
  const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
  if (soffice.isEmpty()) GTEST_SKIP() << "LibreOffice is not installed";
  QFile file(tmp.filePath(QStringLiteral("stored.rtf")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(stored);
  file.close();
  QProcess office;
  office.start(soffice, {QStringLiteral("-env:UserInstallation=file://") + tmp.filePath(QStringLiteral("profile")),
                         QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("html"),
                         QStringLiteral("--outdir"), tmp.path(), file.fileName()});
  ASSERT_TRUE(office.waitForFinished(300000)) << "LibreOffice did not finish";
  QFile html(tmp.filePath(QStringLiteral("stored.html")));
  ASSERT_TRUE(html.open(QIODevice::ReadOnly)) << office.readAllStandardError().toStdString();
  const QString page = QString::fromUtf8(html.readAll());
  EXPECT_EQ(page.count(QRegularExpression(QStringLiteral("<tr[ >]"))), 3);
  EXPECT_EQ(page.count(QRegularExpression(QStringLiteral("<td[ >]"))), 9);
  // The second level is a list inside an item of the first.
  // (LibreOffice breaks its lines between words.)
  const QRegularExpression nested(QStringLiteral("<ol[^>]*>.*Осмотреть\\s+гнездо.*<ol[^>]*>.*Проверить\\s+расплод.*"
                                                 "Оценить\\s+запасы\\s+мёда.*</ol>.*Почистить\\s+дно\\s+улья"),
                                  QRegularExpression::DotMatchesEverythingOption);
  EXPECT_TRUE(nested.match(page).hasMatch()) << page.toStdString();
}

}  // namespace
