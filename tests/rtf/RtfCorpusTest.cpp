// RTF written by other programs: every file its source marks as readable gives the text a
// reference word processor extracts from it (kept beside the corpus, whitespace normalised);
// every file marked broken is refused or read without harm.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <map>

#include "rtf/Lists.h"
#include "rtf/RtfReader.h"
#include "rtf/TextFields.h"
#include "rtf/TextModel.h"
#include "tests/common/SourcePath.h"

namespace {

QString TestsDir() { return SourcePath(QStringLiteral("tests/rtf")); }

struct CorpusFile {
  QString path;
  QString expected;  // pass, fail, n/a
};

std::vector<CorpusFile> Manifest() {
  std::vector<CorpusFile> files;
  QFile f(TestsDir() + QStringLiteral("/rtf-corpus/MANIFEST.md"));
  if (!f.open(QIODevice::ReadOnly)) return files;
  for (const QByteArray& raw : f.readAll().split('\n')) {
    const QString line = QString::fromUtf8(raw);
    if (!line.startsWith(QLatin1String("| "))) continue;
    const QStringList cols = line.split(u'|');
    if (cols.size() < 8) continue;
    const QString path = cols[1].trimmed();
    if (!path.endsWith(QLatin1String(".rtf"))) continue;
    files.push_back({path, cols[6].trimmed()});
  }
  return files;
}

// The document's text as a word processor prints it: list labels before numbered paragraphs,
// pictures and objects left out.
QString VisibleText(const QTextDocument& doc) {
  QString out;
  rtf::ListNumberer numberer;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    const QString label = numberer.Next(b);
    if (!label.isEmpty()) out += label + u' ';
    // Fields show their values; pictures and objects are no text.
    for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment f = it.fragment();
      if (f.charFormat().objectType() == rtf::kFieldObjectType)
        out += rtf::FieldValue(f.charFormat().stringProperty(rtf::kFieldInst), 1);
      else
        out += f.text().remove(QChar::ObjectReplacementCharacter);
    }
    out += u'\n';
  }
  return out;
}

QString Normalised(QString s) {
  s.remove(QChar(0xFEFF));
  return s.simplified();
}

// Where two texts part, with some context: whole documents are too long for a message.
std::string FirstDifference(const QString& ours, const QString& ref) {
  qsizetype i = 0;
  while (i < ours.size() && i < ref.size() && ours[i] == ref[i]) ++i;
  const qsizetype from = std::max<qsizetype>(0, i - 40);
  return QStringLiteral("at %1:\n  read:      ...%2\n  reference: ...%3")
      .arg(i)
      .arg(ours.mid(from, 100), ref.mid(from, 100))
      .toStdString();
}

// Files whose reference text we do not reproduce, and why the difference is defensible.
const std::map<QString, const char*>& Exceptions() {
  static const std::map<QString, const char*> m = {
      {"libreoffice-rtfexport/fdo36089.rtf",
       "an EQ field has no result; the reference lays the formula out itself"},

      {"osxcart/p065_vhcenter.rtf",
       "the title page is an absolutely positioned frame; the reference exports frames apart from "
       "the text, the engine keeps it as ordinary paragraphs"},
      // Lists: labels as the list defines them, where the reference draws its own.
      {"libreoffice-rtfexport/listWithLgl.rtf",
       "a legal level shows the chapter's number in arabic (Sect 2.01); the reference gives the "
       "second-level paragraph a first-level label"},
      {"osxcart/RtfInterpreterTest_10.rtf",
       "every level defines a filled bullet; the reference draws its own hollow one on the second"},
      {"other-pandoc/list_simple.rtf",
       "the second level defines a hyphen bullet; the reference draws a hollow one"},
      {"libreoffice-rtfexport/invalidParagraphStyle.rtf",
       "the paragraphs are in list 1 (\\ls1); the reference drops that along with an invalid "
       "paragraph style"},
      {"other-pandoc/list_legacy.rtf",
       "paragraph numbering given by \\pn is kept; the reference drops it because \\ls points at a "
       "list table the file lacks"},
      // Text the reference loses or doubles.
      {"other-pandoc/table_simple.rtf",
       "rows declare one cell and hold four; the reference keeps only the declared cell's text, "
       "the engine keeps all of it"},
      {"other-pandoc/table_nested_malformed_itap.rtf",
       "a nesting level that jumps; the reference drops the whole table, the engine keeps its text"},
      {"osxcart/RtfInterpreterTest_2.rtf",
       "{\\upr ansi {\\*\\ud unicode}} holds one text twice; the engine keeps the Unicode form, "
       "the reference shows both"},
      {"osxcart/RtfInterpreterTest_20.rtf", "as RtfInterpreterTest_2: \\upr with \\ud"},
      {"other-rtfpipe/Test01.rtf", "as RtfInterpreterTest_2: \\upr with \\ud"},
      {"other-apache-tika/testRTFInvalidUnicode.rtf",
       "lone surrogate halves become '?' in both; the reference also drops the space after some"},
  };
  return m;
}

}  // namespace

TEST(RtfCorpus, ReadableFilesGiveTheReferenceText) {
  const std::vector<CorpusFile> files = Manifest();
  ASSERT_FALSE(files.empty()) << "the corpus manifest is missing";
  int compared = 0;
  for (const CorpusFile& cf : files) {
    if (cf.expected != QLatin1String("pass")) continue;
    QFile f(TestsDir() + QStringLiteral("/rtf-corpus/") + cf.path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << cf.path.toStdString();
    QTextDocument doc;
    QTextCursor cursor(&doc);
    QString error;
    ASSERT_TRUE(rtf::ReadRtf(f.readAll(), cursor, &error))
        << cf.path.toStdString() << ": " << error.toStdString();

    QString refPath = cf.path;
    refPath.replace(QRegularExpression(QStringLiteral("\\.rtf$")), QStringLiteral(".txt"));
    QFile ref(TestsDir() + QStringLiteral("/rtf-reference/") + refPath);
    if (!ref.open(QIODevice::ReadOnly)) continue;  // the reference reader could not open it
    if (Exceptions().count(cf.path)) continue;
    ++compared;
    const QString ours = Normalised(VisibleText(doc));
    const QString expected = Normalised(QString::fromUtf8(ref.readAll()));
    EXPECT_TRUE(ours == expected) << cf.path.toStdString() << " " << FirstDifference(ours, expected);
  }
  EXPECT_GT(compared, 0);
}

// Files marked broken, and those no test of their source uses.
TEST(RtfCorpus, OtherFilesAreRefusedOrSurvived) {
  for (const CorpusFile& cf : Manifest()) {
    if (cf.expected == QLatin1String("pass")) continue;
    QFile f(TestsDir() + QStringLiteral("/rtf-corpus/") + cf.path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << cf.path.toStdString();
    QTextDocument doc;
    QTextCursor cursor(&doc);
    QString error;
    const bool read = rtf::ReadRtf(f.readAll(), cursor, &error);
    // Refused: nothing may have been inserted and the caller gets a reason.
    if (!read) {
      EXPECT_TRUE(doc.isEmpty()) << cf.path.toStdString();
      EXPECT_FALSE(error.isEmpty()) << cf.path.toStdString();
    }
  }
}
