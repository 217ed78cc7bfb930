// What office documents hold beside their running text comes back from a write and a read:
// headers and footers, the information group, endnotes, fonts of other scripts with their
// character sets, positioned frames and drawing shapes. One table of corpus files and the class
// each must keep; each class is described the same way on the first read and on the read of
// what was written.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QFileInfo>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <functional>

#include "rtf/DocumentParts.h"
#include "rtf/RtfReader.h"
#include "rtf/RtfWriter.h"
#include "rtf/TextModel.h"
#include "rtf/TextObjects.h"

using namespace rtf;

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

QString TestsDir() { return QFileInfo(QStringLiteral(__FILE__)).absolutePath(); }

std::unique_ptr<QTextDocument> Read(const QByteArray& rtf) {
  auto doc = std::make_unique<QTextDocument>();
  QTextCursor c(doc.get());
  EXPECT_TRUE(ReadRtf(rtf, c));
  return doc;
}

QString TextOf(const QByteArray& rtf) { return rtf.isEmpty() ? QString() : Read(rtf)->toPlainText().simplified(); }

// Every run of the document with its character format, in order.
void ForEachRun(const QTextDocument& doc, const std::function<void(const QString&, const QTextCharFormat&)>& f) {
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
    for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) f(it.fragment().text(), it.fragment().charFormat());
}

QStringList Headers(const QTextDocument& doc) {
  QStringList out;
  for (const DocumentPart& p : DocumentParts(doc)) out << QString::fromLatin1(p.word) + u':' + TextOf(p.rtf);
  return out;
}

QStringList Info(const QTextDocument& doc) {
  QStringList out;
  for (const InfoEntry& e : DocumentInfo(doc))
    out << QString::fromLatin1(e.word) + (e.starred ? u'*' : u' ') + QString::fromLatin1(e.numbers) + u' ' + e.text;
  return out;
}

QStringList Notes(const QTextDocument& doc, bool endnotes) {
  QStringList out;
  ForEachRun(doc, [&](const QString&, const QTextCharFormat& f) {
    if (f.hasProperty(kFootnote) && f.boolProperty(kEndnote) == endnotes)
      out << TextOf(f.property(kFootnote).toByteArray());
  });
  out.removeDuplicates();
  return out;
}

// The fonts runs are set in, by script, with the character sets of other scripts' fonts.
QStringList Fonts(const QTextDocument& doc) {
  QStringList out;
  const auto charset = [](const QTextCharFormat& f, int property) {
    const int set = f.intProperty(property);
    return set == 0 || set == 1 ? 204 : set;
  };
  ForEachRun(doc, [&](const QString&, const QTextCharFormat& f) {
    // Text that names no font is written in the writer's own.
    QString family = f.fontFamilies().toStringList().value(0);
    if (family.isEmpty()) family = DefaultWriterFont().family();
    QString d = family + u'/' + QString::number(charset(f, kCharset));
    if (f.hasProperty(kEastAsianFont))
      d += QStringLiteral(" asian ") + f.stringProperty(kEastAsianFont) + u'/' + QString::number(charset(f, kEastAsianCharset));
    if (f.hasProperty(kAssocFont))
      d += QStringLiteral(" complex ") + f.stringProperty(kAssocFont) + u'/' + QString::number(charset(f, kAssocCharset));
    if (!out.contains(d)) out << d;
  });
  return out;
}

// Paragraphs in positioned frames, with the frame's words.
QStringList Frames(const QTextDocument& doc) {
  QStringList out;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
    if (b.blockFormat().hasProperty(kParagraphExtra))
      out << QString::fromLatin1(b.blockFormat().property(kParagraphExtra).toByteArray()) + u' ' + b.text().simplified();
  return out;
}

// Drawing shapes: whether they show a picture, and their text.
QStringList Shapes(const QTextDocument& doc) {
  QStringList out;
  ForEachRun(doc, [&](const QString& text, const QTextCharFormat& f) {
    if (!f.hasProperty(kShapeHead)) return;
    for (qsizetype i = 0; i < text.size(); ++i)
      out << (f.property(kPictureData).toByteArray().isEmpty() ? QStringLiteral("shape") : QStringLiteral("picture")) +
                 u' ' + TextOf(f.property(kShapeText).toByteArray());
  });
  return out;
}

}  // namespace

TEST(RtfClasses, CorpusFilesKeepWhatTheyHoldBesideTheText) {
  using Describe = std::function<QStringList(const QTextDocument&)>;
  const Describe headers = Headers, info = Info, fonts = Fonts, frames = Frames, shapes = Shapes;
  const Describe endnotes = [](const QTextDocument& d) { return Notes(d, true); };
  const Describe footnotes = [](const QTextDocument& d) { return Notes(d, false); };
  const struct {
    const char* file;
    const char* what;
    Describe describe;
    int count;  // how many the file holds
  } cases[] = {
      {"rtf-corpus/other-rtfpipe/rtf2xml-headers_footers.rtf", "headers and footers", headers, 8},
      {"rtf-corpus/osxcart/p056_footnotes.rtf", "headers and footers", headers, 1},
      {"rtf-corpus/other-rtfpipe/phprtflite-table_in_header.rtf", "headers and footers", headers, 1},
      {"rtf-corpus/other-striprtf/Speiseplan_KW_32-33_Eybl.rtf", "headers and footers", headers, 2},
      {"rtf-corpus/libreoffice-core-rtf/pass-kde52609.rtf", "headers and footers", headers, 2},
      {"rtf-corpus/other-rtfpipe/rtf2xml-headers_footers.rtf", "information", info, 12},
      {"rtf-corpus/other-striprtf/ansicpg1250.rtf", "information", info, 14},
      {"rtf-corpus/other-rtfpipe/phprtflite-footnotes.rtf", "endnotes", endnotes, 3},
      {"rtf-corpus/other-rtfpipe/phprtflite-footnotes.rtf", "footnotes", footnotes, 3},
      {"rtf-corpus/osxcart/RtfInterpreterTest_12.rtf", "fonts", fonts, 1},
      {"rtf-corpus/other-rtfpipe/AbsolutePositioning.rtf", "frames", frames, 1},
      {"rtf-corpus/libreoffice-rtftok/pass-fdo49666.rtf", "shapes", shapes, 1},
      {"rtf-corpus/libreoffice-core-rtf/pass-abi2720.rtf", "shapes", shapes, 2},
      {"rtf-corpus/osxcart/p065_vhcenter.rtf", "frames", frames, 1},
      {"rtf-corpus/libreoffice-rtftok/pass-rhbz960019.rtf", "frames", frames, 1},
      {"rtf-corpus/osxcart/p024_annalum.rtf", "frames", frames, 1},
      {"rtf-corpus/libreoffice-rtfexport/fdo79384.rtf", "fonts", fonts, 1},
      {"rtf-corpus/other-striprtf/calcium_score.rtf", "fonts", fonts, 2},
      {"rtf-corpus/other-rtfparserkit/standard-testJapaneseJisEncoding.rtf", "fonts", fonts, 1},
  };
  for (const auto& c : cases) {
    QFile in(TestsDir() + u'/' + QLatin1String(c.file));
    ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << c.file;
    const auto first = Read(in.readAll());
    const QStringList before = c.describe(*first);
    EXPECT_EQ(before.size(), c.count) << c.file << ": " << c.what << " read: " << before.join(" / ").toStdString();
    const QByteArray written = WriteRtf(*first);
    const auto second = Read(written);
    EXPECT_EQ(c.describe(*second), before) << c.file << ": " << c.what;
    EXPECT_EQ(WriteRtf(*second), written) << c.file << ": the writer is not stable";
  }
}

// Text in a font of another script's character set is that script's text, in that font, and
// comes back so; a font named after \dbch is the East Asian font, never the text's own.
TEST(RtfClasses, FontsOfOtherScriptsKeepTheirSetsAndPlaces) {
  const auto doc = Read(
      "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}"
      "{\\f1\\fnil\\fcharset128 MS Mincho;}{\\f2\\fnil\\fcharset134 SimSun;}{\\f3\\fnil\\fcharset177 David;}"
      "{\\f4\\fnil\\fcharset238 Arial CE;}}"
      "\\pard\\f1 \\'93\\'fa\\'96\\'7b\\par"                     // Japanese bytes in a Japanese font
      "\\f0\\dbch\\f2\\loch Latin \\u20320?\\par"                   // an East Asian font beside the text's
      "\\plain\\rtlch\\af3 \\ltrch\\f0 mixed\\par"                   // a complex script font
      "\\plain\\f4 \\'b9\\'e6\\par}");                              // Central European bytes
  const QStringList expected = {"MS Mincho/128", "Times New Roman/204 asian SimSun/134",
                                "Times New Roman/204 complex David/177", "Arial CE/238"};
  EXPECT_EQ(Fonts(*doc), expected);
  EXPECT_EQ(doc->toPlainText(), QString::fromUtf8("日本\nLatin 你\nmixed\nąć"));
  const QByteArray written = WriteRtf(*doc);
  EXPECT_TRUE(written.contains("\\fcharset128 MS Mincho;")) << written.constData();
  EXPECT_TRUE(written.contains("\\fcharset238 Arial CE;"));
  const auto back = Read(written);
  EXPECT_EQ(Fonts(*back), expected);
  EXPECT_EQ(back->toPlainText(), doc->toPlainText());
}

// A field without a result shows in the formats of its instruction's text.
TEST(RtfClasses, AFieldShowsInItsInstructionsFormats) {
  const auto doc = Read("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard\\f0\\fs24 Page {\\field{\\*\\fldinst {\\fs16\\b PAGE}}{\\fldrslt }}\\par}");
  QTextCharFormat field;
  ForEachRun(*doc, [&](const QString&, const QTextCharFormat& f) {
    if (f.hasProperty(kFieldInst)) field = f;
  });
  EXPECT_EQ(field.stringProperty(kFieldInst), QStringLiteral("PAGE"));
  EXPECT_EQ(field.fontPointSize(), 8);
  EXPECT_EQ(field.fontWeight(), QFont::Bold);
  const auto back = Read(WriteRtf(*doc));
  int fields = 0;
  ForEachRun(*back, [&](const QString&, const QTextCharFormat& f) {
    if (!f.hasProperty(kFieldInst)) return;
    ++fields;
    EXPECT_EQ(f.fontPointSize(), 8);
  });
  EXPECT_EQ(fields, 1);
}

// A shape shows its picture, and comes back byte for byte around its text, which is read and
// written as text.
TEST(RtfClasses, AShapeShowsItsPictureAndKeepsItsGroup) {
  QImage image(2, 2, QImage::Format_RGB32);
  image.fill(Qt::red);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  const QByteArray head = "{\\shp{\\*\\shpinst\\shpleft0\\shptop0\\shpright1440\\shpbottom720"
                          "{\\sp{\\sn pib}{\\sv {\\pict\\pngblip\\picw2\\pich2 " + png.toHex() + "}}}";
  const QByteArray tail = "}{\\shprslt {\\pict\\pngblip " + png.toHex() + "}}}";
  const auto doc = Read("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard\\f0 before " + head +
                        "{\\shptxt \\pard\\b Hive\\par}" + tail + " after\\par}");
  EXPECT_EQ(Shapes(*doc), QStringList{"picture Hive"});
  EXPECT_EQ(doc->toPlainText(), QString::fromUtf8("before \uFFFC after"));
  QTextCharFormat shape;
  ForEachRun(*doc, [&](const QString&, const QTextCharFormat& f) {
    if (f.hasProperty(kShapeHead)) shape = f;
  });
  EXPECT_FALSE(ObjectImage(shape).isNull());
  const QByteArray written = WriteRtf(*doc);
  EXPECT_TRUE(written.contains(head)) << written.constData();
  EXPECT_TRUE(written.contains(tail));
  EXPECT_EQ(written.count("shprslt"), 1);
  const auto back = Read(written);
  EXPECT_EQ(Shapes(*back), Shapes(*doc));
  EXPECT_EQ(WriteRtf(*back), written);
}
