// The glossary as a book: the PDF read back with poppler's and qpdf's tools, the web pages checked
// link by link (and by an HTML5 checker where one is installed), the RTF read back.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>

#include "book/Book.h"
#include "book/PdfUpdate.h"
#include "platform/Printer.h"
#include "rtf/RtfReader.h"
#include "rtf/TextModel.h"
#include "rtf/TextObjects.h"
#include "tests/common/GlossaryFixture.h"
#include "tests/common/PdfTools.h"

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }

// A definition that does not open with its term's name (the book sets the name), long enough
// that a letter of them fills pages.
QByteArray Definition(const QString& word, int sentences) {
  QString text = QStringLiteral("Определение термина из %1 знаков.").arg(word.size());
  for (int i = 0; i < sentences; ++i) text += U(" Пчёлы собирают нектар и пыльцу с цветов медоносных растений.");
  QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\froman\\fcharset204 Serif;}}\\f0\\fs22 ";
  for (QChar c : text) rtf += c.unicode() < 128 ? QByteArray(1, char(c.unicode())) : "\\u" + QByteArray::number(c.unicode()) + "?";
  return rtf + "\\par}";
}

// A definition that opens with the term's name in bold, as the bundled glossary's do.
QByteArray OpensWithName(const QString& word) {
  QByteArray rtf = "{\\rtf1\\ansi{\\b ";
  for (QChar c : word) rtf += "\\u" + QByteArray::number(c.unicode()) + "?";
  return rtf + "} \\u8212? opens with its name; see {\\field{\\*\\fldinst HYPERLINK \"term:k05\"}{\\fldrslt the fifth}},"
               " {\\field{\\*\\fldinst HYPERLINK \"https://example.org/\"}{\\fldrslt the web}} and"
               " {\\field{\\*\\fldinst HYPERLINK \"file:///etc/passwd\"}{\\fldrslt a file}}.\\par}";
}

QByteArray PictureDefinition() {
  QImage image(40, 20, QImage::Format_RGB32);
  image.fill(Qt::darkYellow);
  QByteArray png;
  QBuffer b(&png);
  b.open(QIODevice::WriteOnly);
  image.save(&b, "PNG");
  return "{\\rtf1\\ansi A picture: " + rtf::PictureRtf(png, rtf::kPngPicture, 40, 20, 600, 300) + "\\par}";
}

// Letters А, К (many terms, several pages) and Я; Б has no terms and stays out of the book.
std::vector<LetterTerms> SampleBook(int kTerms = 40) {
  std::vector<LetterTerms> l;
  l.push_back({U("А"), {{U("Апис"), Definition(U("Апис"), 2)}, {U("Акация"), OpensWithName(U("Акация"))}}});
  l.push_back({U("Б"), {}});
  LetterTerms k{U("К"), {}};
  for (int i = 0; i < kTerms; ++i) {
    const QString w = QStringLiteral("Кластер%1").arg(i, 2, 10, QLatin1Char('0'));
    k.terms.push_back({w, Definition(w, 3 + i % 4)});
  }
  l.push_back(k);
  l.push_back({U("Я"), {{U("Ячейка"), PictureDefinition()}}});
  return l;
}

// The words of the sample in the book's order.
QStringList SampleWords(int kTerms = 40) {
  QStringList w{U("Акация"), U("Апис")};
  for (int i = 0; i < kTerms; ++i) w << QStringLiteral("Кластер%1").arg(i, 2, 10, QLatin1Char('0'));
  return w << U("Ячейка");
}

class BookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    folder_ = dir_.filePath("data");
    QDir().mkpath(folder_);
    MakeGlossary(folder_, SampleBook());
    ASSERT_TRUE(source_.Open(folder_, &error_)) << error_.toStdString();
    platform::TPrinterSetup setup;
    setup.Printers = {platform::TPrinter::PdfPrinterName()};
    setup.PdfPath = dir_.filePath("printed.pdf");
    setup.PdfResolution = 600;
    platform::SetPrinterSetup(setup);
    platform::Printer().SetPrinterIndex(0);
    platform::Printer().DeviceMode().dmPaperSize = platform::dmpA5;
    platform::Printer().SetPrinterIndex(0);
  }
  void TearDown() override { platform::SetPrinterSetup(std::nullopt); }

  std::vector<book::BookLetter> Plan(const book::Selection& s = {}) {
    std::vector<book::BookLetter> plan;
    EXPECT_TRUE(source_.Plan(s, &plan, &error_)) << error_.toStdString();
    return plan;
  }
  // No temporary file or folder is left beside the output.
  void ExpectNoLeftovers() {
    for (const QString& name : QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
      EXPECT_FALSE(name.contains("part")) << name.toStdString();
  }

  QTemporaryDir dir_;
  QString folder_;
  QString error_;
  book::BookSource source_;
};

TEST_F(BookTest, PlanFollowsTheSelection) {
  auto names = [](const std::vector<book::BookLetter>& plan) {
    QStringList l;
    for (const auto& b : plan) l << b.letter + ":" + QString::number(b.keys.size());
    return l.join(' ');
  };
  EXPECT_EQ(names(Plan()), U("А:2 К:40 Я:1"));
  EXPECT_EQ(names(Plan({U("к"), {}})), U("К:40"));
  EXPECT_EQ(names(Plan({{}, U("кластер07")})), U("К:1"));
  EXPECT_EQ(names(Plan({{}, U("пчёлы")})), U("А:1 К:40"));  // any form: "пчёлы" in the definitions
  EXPECT_EQ(names(Plan({U("А"), U("пчела")})), U("А:1"));
  EXPECT_EQ(names(Plan({{}, U("трутень")})), QString());
  std::vector<book::BookLetter> plan;
  EXPECT_FALSE(source_.Plan({U("Ы"), {}}, &plan, &error_));
  EXPECT_TRUE(error_.contains(U("Ы")));
}

// Reads a PDF's outline with qpdf: the titles and the 0-based pages they open.
std::vector<std::pair<QString, int>> Outline(const QString& path) {
  const QJsonObject json = QJsonDocument::fromJson(pdf::Run("qpdf", {"--json", "--json-key=outlines", "--json-key=pages", path})).object();
  std::map<QString, int> pageOf;
  const QJsonArray pages = json["pages"].toArray();
  for (int i = 0; i < pages.size(); ++i) pageOf[pages[i].toObject()["object"].toString()] = i;
  std::vector<std::pair<QString, int>> out;
  for (const QJsonValue& v : json["outlines"].toArray()) {
    const QJsonObject o = v.toObject();
    out.emplace_back(o["title"].toString(), o["destpageposfrom1"].toInt() - 1);
  }
  return out;
}

TEST_F(BookTest, PdfHoldsEveryTermOnceInOrderUnderItsLetterWithHeadsContentsAndOutline) {
  if (!pdf::ToolsAvailable()) GTEST_SKIP() << "poppler-utils missing";
  const QString path = dir_.filePath("book.pdf");
  book::BookOptions o;
  o.date = QDate(2026, 5, 20);
  o.author = U("Клуб пчеловодов");
  const book::Result r = book::WritePdf(source_, Plan(), o, path);
  ASSERT_TRUE(r.Ok()) << r.message.toStdString();
  EXPECT_EQ(pdf::PageCount(path), r.pages);
  EXPECT_EQ(pdf::Info(path, "Title"), U("Словарь пчеловода"));
  EXPECT_EQ(pdf::Info(path, "Author"), U("Клуб пчеловодов"));
  ExpectNoLeftovers();

  const QStringList pages = pdf::PageTexts(path);
  ASSERT_EQ(pages.size(), r.pages);
  ASSERT_GT(r.pages, 5);  // title, contents, А, several of К, Я
  EXPECT_TRUE(pages[0].contains(U("Словарь пчеловода")) && pages[0].contains(U("20 мая 2026 г.")));
  // The contents: each letter with the page it starts on.
  std::map<QString, int> startsOn;
  const QStringList tocLines =
      QString::fromUtf8(pdf::Run("pdftotext", {"-layout", "-f", "2", "-l", "2", "-enc", "UTF-8", path, "-"})).split('\n');
  for (const QString& line : tocLines) {
    const QRegularExpressionMatch m = QRegularExpression(U(R"(^\s*(\S)\s.*?(\d+)\s*$)")).match(line);
    if (m.hasMatch()) startsOn[m.captured(1)] = m.captured(2).toInt();
  }
  ASSERT_EQ(startsOn.size(), 3u) << pages[1].toStdString();
  EXPECT_EQ(startsOn[U("А")], 3);
  for (const auto& [letter, page] : startsOn) {
    // The letter's heading opens the page the contents name.
    const QString body = pages[page - 1].trimmed();
    EXPECT_TRUE(body.contains(QRegularExpression("(^|\\n)" + letter + "\\n"))) << body.toStdString();
  }

  // Below the running heads (cropped off), every term's name once, in order, after its letter.
  const QSizeF sheet = pdf::PageSizePoints(path);
  QString body;
  for (int p = 3; p <= r.pages; ++p)
    body += QString::fromUtf8(pdf::Run("pdftotext", {"-f", QString::number(p), "-l", QString::number(p), "-x", "0", "-y", "70",
                                                     "-W", QString::number(int(sheet.width())), "-H", QString::number(int(sheet.height())),
                                                     "-enc", "UTF-8", path, "-"}));
  int at = -1;
  for (const QString& w : SampleWords()) {
    EXPECT_EQ(body.count(w), 1) << w.toStdString();
    const int here = body.indexOf(w);
    EXPECT_GT(here, at) << w.toStdString();
    at = here;
  }
  EXPECT_LT(body.indexOf(U("\nК\n")), body.indexOf(U("Кластер00")));

  // Running heads: the first and the last term of the page.
  int checked = 0;
  QString previousLast;
  for (int p = startsOn[U("К")]; p < startsOn[U("Я")]; ++p) {
    const QString layout = QString::fromUtf8(pdf::Run("pdftotext", {"-layout", "-f", QString::number(p), "-l", QString::number(p), "-enc", "UTF-8", path, "-"}));
    const QStringList head = layout.trimmed().section('\n', 0, 0).simplified().split(' ');
    QStringList onPage;
    for (const QString& w : SampleWords())
      if (layout.section('\n', 1).contains(w)) onPage << w;
    ASSERT_FALSE(onPage.isEmpty());
    EXPECT_TRUE(head.first() == onPage.first() || head.first() == previousLast) << layout.toStdString();
    EXPECT_EQ(head.last(), onPage.last()) << layout.toStdString();
    previousLast = head.last();
    ++checked;
  }
  EXPECT_GT(checked, 1);

  // The outline: one entry per letter, opening its page; qpdf finds the file sound.
  if (QStandardPaths::findExecutable("qpdf").isEmpty()) GTEST_SKIP() << "qpdf missing: outline not read";
  QProcess check;
  check.start("qpdf", {"--check", path});
  ASSERT_TRUE(check.waitForFinished(60000));
  EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardOutput().toStdString() << check.readAllStandardError().toStdString();
  const auto outline = Outline(path);
  ASSERT_EQ(outline.size(), 3u);
  EXPECT_EQ(outline[0], std::make_pair(U("А"), startsOn[U("А")] - 1));
  EXPECT_EQ(outline[1], std::make_pair(U("К"), startsOn[U("К")] - 1));
  EXPECT_EQ(outline[2], std::make_pair(U("Я"), startsOn[U("Я")] - 1));
}

TEST_F(BookTest, TwoColumnsFillTheRightHalfOfAPageWithLaterTerms) {
  if (!pdf::ToolsAvailable()) GTEST_SKIP() << "poppler-utils missing";
  const QString one = dir_.filePath("one.pdf"), two = dir_.filePath("two.pdf");
  platform::Printer().DeviceMode().dmPaperSize = platform::dmpA4;
  platform::Printer().SetPrinterIndex(0);
  book::BookOptions o;
  ASSERT_TRUE(book::WritePdf(source_, Plan({U("К"), {}}), o, one).Ok());
  o.columns = 2;
  const book::Result r = book::WritePdf(source_, Plan({U("К"), {}}), o, two);
  ASSERT_TRUE(r.Ok()) << r.message.toStdString();
  EXPECT_LT(pdf::PageCount(two), pdf::PageCount(one));
  // The second letter page: both halves hold text, the right half's terms after the left's.
  const QSizeF sheet = pdf::PageSizePoints(two);
  const auto half = [&](int x) {
    return QString::fromUtf8(pdf::Run("pdftotext", {"-f", "4", "-l", "4", "-x", QString::number(x), "-y", "60", "-W",
                                                   QString::number(int(sheet.width() / 2)), "-H", QString::number(int(sheet.height())),
                                                   "-enc", "UTF-8", two, "-"}));
  };
  const QString left = half(0), right = half(int(sheet.width() / 2));
  const QRegularExpression name(QStringLiteral("Кластер(\\d\\d)"));
  const auto firstNum = [&](const QString& s) { return name.match(s).captured(1).toInt(); };
  ASSERT_TRUE(name.match(left).hasMatch() && name.match(right).hasMatch()) << left.toStdString() << "|" << right.toStdString();
  EXPECT_GT(firstNum(right), firstNum(left));
}

TEST_F(BookTest, CancelledOrRefusedExportsLeaveNothingHalfWritten) {
  const std::vector<book::BookLetter> plan = Plan();
  const QString pdfPath = dir_.filePath("book.pdf"), htmlDir = dir_.filePath("site"), rtfPath = dir_.filePath("book.rtf");
  const auto cancelHalfway = [](int done, int total) { return done < total / 2; };
  book::BookOptions o;
  EXPECT_EQ(book::WritePdf(source_, plan, o, pdfPath, cancelHalfway).outcome, book::Outcome::Cancelled);
  EXPECT_EQ(book::WriteHtml(source_, plan, o, htmlDir, cancelHalfway).outcome, book::Outcome::Cancelled);
  EXPECT_EQ(book::WriteRtf(source_, plan, o, rtfPath, cancelHalfway).outcome, book::Outcome::Cancelled);
  EXPECT_FALSE(QFileInfo::exists(pdfPath));
  EXPECT_FALSE(QFileInfo::exists(htmlDir));
  EXPECT_FALSE(QFileInfo::exists(rtfPath));
  EXPECT_FALSE(platform::Printer().Printing());
  ExpectNoLeftovers();

  // What is there is kept unless overwriting was allowed.
  for (const QString& path : {pdfPath, rtfPath}) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("mine");
  }
  QDir().mkpath(htmlDir);
  QFile mine(htmlDir + "/mine.txt");
  ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
  mine.close();
  EXPECT_EQ(book::WritePdf(source_, plan, o, pdfPath).outcome, book::Outcome::Failed);
  EXPECT_EQ(book::WriteRtf(source_, plan, o, rtfPath).outcome, book::Outcome::Failed);
  const book::Result html = book::WriteHtml(source_, plan, o, htmlDir);
  EXPECT_EQ(html.outcome, book::Outcome::Failed);
  EXPECT_TRUE(html.message.contains("already exists"));
  EXPECT_EQ(QFileInfo(pdfPath).size(), 4);
  EXPECT_EQ(QFileInfo(rtfPath).size(), 4);
  EXPECT_TRUE(QFileInfo::exists(htmlDir + "/mine.txt"));
  o.overwrite = true;
  EXPECT_TRUE(book::WritePdf(source_, plan, o, pdfPath).Ok());
  EXPECT_TRUE(book::WriteRtf(source_, plan, o, rtfPath).Ok());
  EXPECT_TRUE(book::WriteHtml(source_, plan, o, htmlDir).Ok());
  EXPECT_GT(QFileInfo(pdfPath).size(), 1000);
  EXPECT_GT(QFileInfo(rtfPath).size(), 1000);
  EXPECT_FALSE(QFileInfo::exists(htmlDir + "/mine.txt"));
  ExpectNoLeftovers();
}

// Every href of the pages in `dir` that is not a web address names a file there and, after '#',
// an id in that file.
void ExpectLinksResolve(const QString& dir, int* checked) {
  const QRegularExpression href(QStringLiteral(R"((?:href|src)="([^"]*)\")")), id(QStringLiteral(R"(id="([^"]*)\")"));
  std::map<QString, QSet<QString>> ids;
  const QStringList pages = QDir(dir).entryList({"*.html"});
  for (const QString& p : pages) {
    QFile f(dir + "/" + p);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    auto it = id.globalMatch(text);
    while (it.hasNext()) ids[p].insert(it.next().captured(1));
  }
  for (const QString& p : pages) {
    QFile f(dir + "/" + p);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    auto it = href.globalMatch(QString::fromUtf8(f.readAll()));
    while (it.hasNext()) {
      const QString link = it.next().captured(1);
      if (link.startsWith("http")) continue;
      const QString file = link.section('#', 0, 0).isEmpty() ? p : link.section('#', 0, 0);
      const QString anchor = link.section('#', 1);
      EXPECT_TRUE(QFileInfo::exists(dir + "/" + file)) << p.toStdString() << " -> " << link.toStdString();
      if (!anchor.isEmpty()) {
        EXPECT_TRUE(ids[file].contains(anchor)) << p.toStdString() << " -> " << link.toStdString();
      }
      ++*checked;
    }
  }
}

TEST_F(BookTest, HtmlPagesHoldEveryTermWithAnAnchorAndEveryLinkResolves) {
  // A link between terms, as the link feature will store it: its target maps to a term's key.
  std::vector<book::BookLetter> plan = Plan();
  const qint64 target = plan[1].keys[5];
  book::BookOptions o;
  o.linkTarget = [&](const QString& href) { return href == "term:k05" ? target : 0; };
  for (bool single : {false, true}) {
    SCOPED_TRACE(single ? "one page" : "a page per letter");
    o.singlePage = single;
    const QString dir = dir_.filePath(single ? "one" : "site");
    const book::Result r = book::WriteHtml(source_, plan, o, dir, {});
    ASSERT_TRUE(r.Ok()) << r.message.toStdString();
    QStringList expected = {"index.html", "style.css"};
    if (!single) expected << "letter-01.html" << "letter-02.html" << "letter-03.html";
    for (const QString& f : expected) EXPECT_TRUE(QFileInfo::exists(dir + "/" + f)) << f.toStdString();
    EXPECT_EQ(QDir(dir + "/img").entryList({"*.png"}).size(), 1);
    int links = 0;
    ExpectLinksResolve(dir, &links);
    EXPECT_GE(links, single ? 5 : 10);

    QString all;
    for (const QString& p : QDir(dir).entryList({"*.html"}, QDir::Files, QDir::Name)) {
      QFile f(dir + "/" + p);
      ASSERT_TRUE(f.open(QIODevice::ReadOnly));
      all += QString::fromUtf8(f.readAll());
    }
    int at = -1;
    for (const QString& w : SampleWords()) {
      const int here = all.indexOf(w, at + 1);
      EXPECT_GT(here, at) << w.toStdString();
      at = here;
    }
    EXPECT_EQ(all.count(U("Акация")), 1);  // its definition opens with it: not set twice
    // A link to a term goes to its anchor, a web link stays, a link to a file is none.
    EXPECT_TRUE(all.contains(QStringLiteral("href=\"%1#t%2\"").arg(single ? "" : "letter-02.html").arg(target)));
    EXPECT_TRUE(all.contains("href=\"https://example.org/\""));
    EXPECT_FALSE(all.contains("passwd"));
    EXPECT_TRUE(all.contains("<meta name=\"viewport\""));

    const QString tidy = QStandardPaths::findExecutable("tidy");
    if (tidy.isEmpty()) continue;
    for (const QString& p : QDir(dir).entryList({"*.html"})) {
      QProcess t;
      t.start(tidy, {"-q", "-e", "-utf8", "--doctype", "html5", dir + "/" + p});
      ASSERT_TRUE(t.waitForFinished(30000));
      EXPECT_EQ(t.exitCode(), 0) << p.toStdString() << ": " << t.readAllStandardError().toStdString();
    }
  }
}

TEST_F(BookTest, RtfHoldsTheBookAndReadsBack) {
  const QString path = dir_.filePath("book.rtf");
  const book::Result r = book::WriteRtf(source_, Plan(), {}, path);
  ASSERT_TRUE(r.Ok()) << r.message.toStdString();
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  QTextDocument doc;
  QTextCursor c(&doc);
  ASSERT_TRUE(rtf::ReadRtf(f.readAll(), c));
  const QString text = doc.toPlainText();
  int at = text.indexOf(U("Словарь пчеловода"));
  EXPECT_EQ(at, 0);
  for (const QString& w : QStringList{U("А")} + SampleWords().mid(0, 2) + QStringList{U("К")} + SampleWords().mid(2)) {
    const int here = text.indexOf(w, at + 1);
    EXPECT_GT(here, at) << w.toStdString();
    at = here;
  }
  // Each letter starts a new page; the picture came along.
  int breaks = 0;
  bool picture = false;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    if (b.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) ++breaks;
    for (auto it = b.begin(); !it.atEnd(); ++it)
      picture |= it.fragment().charFormat().objectType() == rtf::kEmbeddedObjectType;
  }
  EXPECT_EQ(breaks, 3);
  EXPECT_TRUE(picture);
}

TEST(PdfUpdate, RefusesWhatIsNotAPdf) {
  QTemporaryDir dir;
  QFile f(dir.filePath("x.pdf"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("not a pdf at all");
  f.close();
  QString error;
  EXPECT_FALSE(book::AppendPdfUpdate(f.fileName(), {}, {{"A", 0}}, "t", "a", &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_EQ(QFileInfo(f.fileName()).size(), 16);
}

}  // namespace
