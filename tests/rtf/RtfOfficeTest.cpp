// An office suite reads what the engine writes: the text with its bold, italic, colours,
// alignment and indents. Runs only where LibreOffice (soffice) is installed.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>

#include "rtf/RtfWriter.h"
#include "rtf/TermLinks.h"
#include "rtf/TextModel.h"

using namespace rtf;

TEST(RtfOffice, LibreOfficeReadsTheEngineRtf) {
  const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
  if (soffice.isEmpty()) GTEST_SKIP() << "LibreOffice is not installed";

  QTextDocument doc;
  QTextCursor c(&doc);
  QTextCharFormat base;
  base.setFontFamilies({QStringLiteral("Arial")});
  base.setFontPointSize(14);
  QTextBlockFormat centred;
  SetAlignment(centred, 3);
  c.setBlockFormat(centred);
  QTextCharFormat bold = base;
  bold.setFontWeight(QFont::Bold);
  bold.setForeground(QColor(0xc8, 0, 0));
  c.insertText(QString::fromUtf8("Пчела"), bold);
  c.insertText(QStringLiteral(" "), base);
  QTextCharFormat italic = base;
  italic.setFontItalic(true);
  c.insertText(QString::fromUtf8("медоносная"), italic);
  QTextBlockFormat indented;
  SetAlignment(indented, 4);
  SetIndents(indented, 720, 720, 720);  // first line at 0.5 in, the others at 1 in
  c.insertBlock(indented, base);
  QTextCharFormat blue = base;
  blue.setForeground(QColor(0, 0, 0xff));
  c.insertText(QString::fromUtf8("Улей"), blue);
  QTextBlockFormat right;
  SetAlignment(right, 2);
  c.insertBlock(right, base);
  c.insertText(QString::fromUtf8("Мёд"), base);

  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QFile rtf(dir.filePath(QStringLiteral("sample.rtf")));
  ASSERT_TRUE(rtf.open(QIODevice::WriteOnly));
  rtf.write(WriteRtf(doc));
  rtf.close();

  QProcess office;
  office.setWorkingDirectory(dir.path());
  office.start(soffice, {QStringLiteral("-env:UserInstallation=file://") + dir.filePath(QStringLiteral("profile")),
                         QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                         QStringLiteral("html"), QStringLiteral("--outdir"), dir.path(),
                         rtf.fileName()});
  ASSERT_TRUE(office.waitForFinished(300000)) << "LibreOffice did not finish";
  QFile html(dir.filePath(QStringLiteral("sample.html")));
  ASSERT_TRUE(html.open(QIODevice::ReadOnly)) << office.readAllStandardError().toStdString();
  const QString out = QString::fromUtf8(html.readAll()).simplified();

  EXPECT_TRUE(out.contains(QString::fromUtf8("<b>Пчела</b>"))) << out.toStdString();
  EXPECT_TRUE(out.contains(QString::fromUtf8("<i>")) &&
              out.contains(QString::fromUtf8("медоносная")));
  EXPECT_TRUE(out.contains(QLatin1String("#c80000")));
  EXPECT_TRUE(out.contains(QLatin1String("#0000ff")));
  EXPECT_TRUE(out.contains(QString::fromUtf8("Мёд")));
  EXPECT_TRUE(out.contains(QLatin1String("align=\"center\"")));
  EXPECT_TRUE(out.contains(QLatin1String("align=\"justify\"")));
  EXPECT_TRUE(out.contains(QLatin1String("align=\"right\"")));
  EXPECT_TRUE(out.contains(QLatin1String("margin-left: 1in")));
  EXPECT_TRUE(out.contains(QLatin1String("margin-right: 0.5in")));
  EXPECT_TRUE(out.contains(QLatin1String("text-indent: -0.5in")));
}

TEST(RtfOffice, LibreOfficeShowsATermLinkAsAnAnchorWithItsWords) {
  const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
  if (soffice.isEmpty()) GTEST_SKIP() << "LibreOffice is not installed";

  QTextDocument doc;
  QTextCursor c(&doc);
  c.insertText(QString::fromUtf8("Откачивают "));
  QTextCharFormat link;
  link.setAnchor(true);
  link.setAnchorHref(TermLinkHref(42));
  c.insertText(QString::fromUtf8("медогонкой"), link);
  c.insertText(QStringLiteral("."), QTextCharFormat());

  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QFile rtf(dir.filePath(QStringLiteral("linked.rtf")));
  ASSERT_TRUE(rtf.open(QIODevice::WriteOnly));
  rtf.write(WriteRtf(doc));
  rtf.close();
  QProcess office;
  office.setWorkingDirectory(dir.path());
  office.start(soffice, {QStringLiteral("-env:UserInstallation=file://") + dir.filePath(QStringLiteral("profile")),
                         QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("html"),
                         QStringLiteral("--outdir"), dir.path(), rtf.fileName()});
  ASSERT_TRUE(office.waitForFinished(300000)) << "LibreOffice did not finish";
  QFile html(dir.filePath(QStringLiteral("linked.html")));
  ASSERT_TRUE(html.open(QIODevice::ReadOnly)) << office.readAllStandardError().toStdString();
  const QString out = QString::fromUtf8(html.readAll()).simplified();
  EXPECT_TRUE(out.contains(QRegularExpression(QString::fromUtf8("<a href=\"termora-term:42\"[^>]*>(<[^>]*>)*медогонкой"))))
      << out.toStdString();
}
