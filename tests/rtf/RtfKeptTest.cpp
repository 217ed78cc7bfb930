// What office documents hold beyond plain formatted text survives a read and a write: tables,
// lists with their levels and labels, hidden text, fields, footnotes, text boxes and the
// character and paragraph properties the engine keeps.

#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>

#include "rtf/Borders.h"
#include "rtf/Lists.h"
#include "rtf/Numbering.h"
#include "rtf/RtfDocumentBuilder.h"
#include "rtf/RtfReader.h"
#include "rtf/RtfWriter.h"
#include "rtf/TableModel.h"
#include "rtf/TextFields.h"
#include "rtf/TextModel.h"
#include "tests/common/SourcePath.h"

using namespace rtf;

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

QString TestsDir() { return SourcePath(QStringLiteral("tests/rtf")); }

QByteArray Fixture(const QString& path) {
  QFile f(TestsDir() + u'/' + path);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
  return f.readAll();
}

std::unique_ptr<QTextDocument> Read(const QByteArray& rtf) {
  auto doc = std::make_unique<QTextDocument>();
  QTextCursor c(doc.get());
  QString error;
  EXPECT_TRUE(ReadRtf(rtf, c, &error)) << error.toStdString();
  return doc;
}

// Where a paragraph stands: the cell of every table around it, outermost first.
QString Place(const QTextBlock& b) {
  QStringList path;
  QTextFrame* frame = QTextCursor(b).currentFrame();
  int at = b.position();
  for (; frame && frame->parentFrame(); frame = frame->parentFrame()) {
    if (auto* t = qobject_cast<QTextTable*>(frame)) {
      const QTextTableCell cell = t->cellAt(at);
      path.prepend(QStringLiteral("%1,%2 span %3x%4 of %5x%6")
                       .arg(cell.row())
                       .arg(cell.column())
                       .arg(cell.rowSpan())
                       .arg(cell.columnSpan())
                       .arg(t->rows())
                       .arg(t->columns()));
      at = t->firstPosition();
    }
  }
  return path.join(QLatin1String(" / "));
}

QString CharTokens(const QTextCharFormat& f) {
  QStringList t;
  if (UnderlineType(f)) t << QStringLiteral("ul%1").arg(UnderlineType(f));
  for (const auto& [prop, name] : std::initializer_list<std::pair<int, const char*>>{
           {kHidden, "hidden"}, {kAllCaps, "caps"}, {kSmallCaps, "scaps"}, {kOutline, "outl"},
           {kShadow, "shad"}, {kRtlRun, "rtl"}})
    if (f.boolProperty(prop)) t << QLatin1String(name);
  for (const auto& [prop, name] : std::initializer_list<std::pair<int, const char*>>{
           {kRaiseTw, "raise"}, {kSpacingTw, "spacing"}, {kKerningTw, "kerning"}, {kCharScaleX, "scale"},
           {kLcid, "lang"}})
    if (f.hasProperty(prop)) t << QStringLiteral("%1=%2").arg(QLatin1String(name)).arg(f.intProperty(prop));
  if (f.hasProperty(kFieldInst)) t << QStringLiteral("field=") + f.stringProperty(kFieldInst);
  if (f.objectType() == kFieldObjectType) t << QStringLiteral("fieldchar");
  if (f.hasProperty(kFootnote)) {
    QTextDocument note;
    QTextCursor c(&note);
    ReadRtf(f.property(kFootnote).toByteArray(), c);
    t << QStringLiteral("footnote=") + note.toPlainText().simplified();
  }
  if (f.fontWeight() > QFont::Medium) t << QStringLiteral("b");
  if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript) t << QStringLiteral("super");
  return t.join(u',');
}

// A paragraph as a reader sees it: where it is, its label, its text run by run with the
// properties of each, and its own properties.
QStringList Summary(const QTextDocument& doc) {
  QStringList out;
  ListNumberer numberer;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    const QTextBlockFormat f = b.blockFormat();
    QString line = Place(b) + QStringLiteral(" | ") + numberer.Next(b) + QStringLiteral(" | ");
    for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it)
      line += u'[' + it.fragment().text() + u' ' + CharTokens(it.fragment().charFormat()) + u']';
    QStringList kinds;
    for (int k : TabKinds(f)) kinds << QString::number(k);
    QStringList stops;
    for (int s : TabStopsTw(f)) stops << QString::number(s);
    QStringList border;
    for (int v : ParaBordersOf(f).Save()) border << QString::number(v);
    QStringList shading;
    for (int v : ParaShadingOf(f).Save()) shading << QString::number(v);
    line += QStringLiteral(" | tabs %1 kinds %2 effects %3 borders %4 shading %5 align %6 indents %7/%8/%9 structural %10")
                .arg(stops.join(u' '), kinds.join(u' '))
                .arg(ParaEffects(f))
                .arg(border.join(u' '), shading.join(u' '))
                .arg(Alignment(f))
                .arg(StartIndentTw(f))
                .arg(OffsetTw(f))
                .arg(RightIndentTw(f))
                .arg(f.boolProperty(kStructural));
    out << line;
  }
  return out;
}

// The tables of a document, cell by cell: edges, spans, borders, shading and alignment.
QStringList TableSummary(const QTextDocument& doc) {
  QStringList out;
  std::function<void(QTextFrame*)> walk = [&](QTextFrame* frame) {
    for (QTextFrame* child : frame->childFrames()) {
      if (auto* t = qobject_cast<QTextTable*>(child)) {
        QStringList edges;
        for (int e : TableEdges(t)) edges << QString::number(e);
        out << QStringLiteral("table %1x%2 edges %3").arg(t->rows()).arg(t->columns()).arg(edges.join(u' '));
        const QVariantList rows = t->format().property(kTableRows).toList();
        for (const QVariant& r : rows) {
          const RowProps p = RowProps::Load(r);
          out << QStringLiteral(" row gap %1 left %2 height %3 align %4 extra %5")
                     .arg(p.gapTw)
                     .arg(p.leftTw)
                     .arg(p.heightTw)
                     .arg(p.align)
                     .arg(QString::fromLatin1(p.extra));
        }
        for (int r = 0; r < t->rows(); ++r)
          for (int c = 0; c < t->columns(); ++c) {
            const QTextTableCell cell = t->cellAt(r, c);
            if (cell.row() != r || cell.column() != c) continue;
            const QTextTableCellFormat cf = cell.format().toTableCellFormat();
            QStringList b;
            for (int v : cf.property(kCellBorders).value<QList<int>>()) b << QString::number(v);
            QStringList s;
            for (int v : cf.property(kCellShading).value<QList<int>>()) s << QString::number(v);
            out << QStringLiteral(" cell %1,%2 span %3x%4 valign %5 borders %6 shading %7 phantom %8")
                       .arg(r)
                       .arg(c)
                       .arg(cell.rowSpan())
                       .arg(cell.columnSpan())
                       .arg(cf.intProperty(kCellVAlign))
                       .arg(b.join(u' '), s.join(u' '))
                       .arg(cf.boolProperty(kCellPhantom));
          }
      }
      walk(child);
    }
  };
  walk(doc.rootFrame());
  return out;
}

}  // namespace

// Every document read, written and read again is the same document, and writing it again gives
// the same bytes.
TEST(RtfKept, OfficeDocumentsComeBackAsTheyWentIn) {
  const QStringList files = {
      QStringLiteral("fixtures/office-features.rtf"),
      QStringLiteral("fixtures/libreoffice-features.rtf"),
      QStringLiteral("rtf-corpus/other-striprtf/nested_table.rtf"),
      QStringLiteral("rtf-corpus/other-rtfpipe/merged_cells.rtf"),
      QStringLiteral("rtf-corpus/other-rtfpipe/nested_table_report.rtf"),
      QStringLiteral("rtf-corpus/other-rtfpipe/Issue34.rtf"),
      QStringLiteral("rtf-corpus/other-striprtf/issue_29_good.rtf"),
      QStringLiteral("rtf-corpus/other-striprtf/calcium_score.rtf"),
      QStringLiteral("rtf-corpus/other-striprtf/Speiseplan_KW_32-33_Eybl.rtf"),
      QStringLiteral("rtf-corpus/osxcart/RtfInterpreterTest_10.rtf"),
      QStringLiteral("rtf-corpus/libreoffice-rtfexport/listWithLgl.rtf"),
      QStringLiteral("rtf-corpus/libreoffice-rtfimport/fdo47107.rtf"),
      QStringLiteral("rtf-corpus/osxcart/p056_footnotes.rtf"),
      QStringLiteral("rtf-corpus/other-rtfparserkit/standard-testGitHubIssue6.rtf"),
  };
  for (const QString& file : files) {
    auto first = Read(Fixture(file));
    const QByteArray written = WriteRtf(*first);
    auto second = Read(written);
    EXPECT_EQ(Summary(*second), Summary(*first)) << file.toStdString();
    EXPECT_EQ(TableSummary(*second), TableSummary(*first)) << file.toStdString();
    EXPECT_EQ(WriteRtf(*second), written) << file.toStdString() << ": the writer is not stable";
  }
}

TEST(RtfKept, TablesAreTablesWithTheirShapeAndCells) {
  auto doc = Read(Fixture(QStringLiteral("fixtures/office-features.rtf")));
  QList<QTextTable*> tables;
  for (QTextFrame* f : doc->rootFrame()->childFrames())
    if (auto* t = qobject_cast<QTextTable*>(f)) tables << t;
  ASSERT_EQ(tables.size(), 1);
  QTextTable* t = tables.first();
  // Rows with different edges share one grid: 1500, 2500, 5000, 7500.
  EXPECT_EQ(t->rows(), 3);
  EXPECT_EQ(t->columns(), 4);
  EXPECT_EQ(TableEdges(t), (QList<int>{1500, 2500, 5000, 7500}));
  auto text = [&](int r, int c) {
    const QTextTableCell cell = t->cellAt(r, c);
    QTextCursor sel(doc.get());
    sel.setPosition(cell.firstPosition());
    sel.setPosition(cell.lastPosition(), QTextCursor::KeepAnchor);
    return sel.selection().toPlainText();
  };
  // \clmgf + \clmrg: one cell across both; \clvmgf + \clvmrg: one cell down two rows.
  EXPECT_EQ(t->cellAt(0, 0).columnSpan(), 3);
  EXPECT_EQ(text(0, 0), QString::fromUtf8("Объединено"));
  EXPECT_EQ(t->cellAt(0, 3).rowSpan(), 2);
  EXPECT_EQ(t->cellAt(1, 3).row(), 0);
  EXPECT_EQ(text(0, 3), QString::fromUtf8("Вниз"));
  // A cell of two paragraphs stays one cell; a nested table stays inside its cell.
  EXPECT_EQ(text(1, 0), QString::fromUtf8("Мёд\nвторой абзац"));
  EXPECT_EQ(t->cellAt(1, 0).columnSpan(), 2);
  bool nested = false;
  for (QTextFrame* f : t->childFrames())
    if (auto* inner = qobject_cast<QTextTable*>(f)) {
      nested = inner->columns() == 2 && t->cellAt(inner->firstPosition()).column() == 2;
    }
  EXPECT_TRUE(nested);
  // The cell shows its shading, vertical alignment and borders.
  const QTextTableCellFormat cf = t->cellAt(0, 0).format().toTableCellFormat();
  EXPECT_EQ(cf.background().color(), QColor(255, 255, 153));
  EXPECT_EQ(cf.verticalAlignment(), QTextCharFormat::AlignMiddle);
  EXPECT_GT(cf.topBorder(), 0);
  EXPECT_EQ(RowProps::Load(t->format().property(kTableRows).toList().value(0)).heightTw, 400);
  // The table is written back as rows with their cells.
  const QByteArray out = WriteRtf(*doc);
  EXPECT_EQ(out.count("\\row"), 3);
  EXPECT_EQ(out.count("\\nestrow"), 1);
  EXPECT_TRUE(out.contains("\\clvmgf")) << out.constData();
  EXPECT_TRUE(out.contains("\\clvmrg"));
  EXPECT_TRUE(out.contains("\\clcbpat"));
  EXPECT_TRUE(out.contains("\\trrh400"));
  EXPECT_TRUE(out.contains("\\cellx7500"));
}

// Two overrides of one list number on from each other; written back, they still share the list.
TEST(RtfKept, OverridesOfOneListShareItsNumbers) {
  const auto labels = [](const QTextDocument& doc) {
    QStringList out;
    ListNumberer numberer;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) out << numberer.Next(b) + b.text();
    return out;
  };
  auto doc = Read(
      "{\\rtf1{\\*\\listtable{\\list\\listtemplateid7{\\listlevel\\levelnfc0\\levelstartat1"
      "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}\\listid7}}{\\*\\listoverridetable"
      "{\\listoverride\\listid7\\listoverridecount0\\ls1}{\\listoverride\\listid7\\listoverridecount0\\ls2}}"
      "\\pard\\ls1 one\\par\\pard\\ls2 two\\par\\pard\\ls1 three\\par}");
  const QStringList expected = {"1.one", "2.two", "3.three"};
  EXPECT_EQ(labels(*doc), expected);
  const QByteArray out = WriteRtf(*doc);
  EXPECT_EQ(out.count("{\\list\\"), 1) << out.constData();
  EXPECT_EQ(labels(*Read(out)), expected);
}

// Merging a cell downwards moves the text of the cells below into it, past the cells beside it:
// each of those keeps its own paragraph formats, before a write and after it.
TEST(RtfKept, CellsBesideACellMergedDownKeepTheirParagraphFormats) {
  const auto alignments = [](const QTextDocument& doc) {
    QStringList out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
      if (QTextCursor(b).currentTable())
        out << b.text() + u'=' + QString::number(int(b.blockFormat().alignment() & Qt::AlignHorizontal_Mask));
    return out;
  };
  auto doc = Read(
      "{\\rtf1\\trowd\\clvmgf\\cellx1000\\cellx2000\\cellx3000"
      "\\pard\\intbl a\\cell\\pard\\intbl\\qc b\\cell\\pard\\intbl\\qr\\cell\\row"
      "\\trowd\\clvmrg\\cellx1000\\cellx2000\\cellx3000"
      "\\pard\\intbl\\qj below\\cell\\pard\\intbl\\qr\\cell\\pard\\intbl\\qc e\\cell\\row}");
  const QStringList expected = {"a=1", "below=8", "b=4", "=2", "=2", "e=4"};
  EXPECT_EQ(alignments(*doc), expected);
  auto again = Read(WriteRtf(*doc));
  EXPECT_EQ(alignments(*again), expected);
}

TEST(RtfKept, TableShapesFromEveryKindOfWriter) {
  struct Case {
    const char* what;
    QByteArray rtf;
    int rows, columns;
    QString cells;  // the text of each cell, rows apart
  };
  const std::vector<Case> cases = {
      {"a cell of two paragraphs does not split its row",
       "{\\rtf1\\trowd\\cellx1000\\cellx2000\\intbl a\\par b\\cell c\\cell\\row\\pard after\\par}", 1, 2,
       QStringLiteral("a\nb|c")},
      {"text before \\intbl in its paragraph is in the cell",
       "{\\rtf1\\trowd\\cellx1000\\cellx2000 x\\intbl\\cell y\\intbl\\cell\\row}", 1, 2, QStringLiteral("x|y")},
      {"\\cell without \\intbl", "{\\rtf1\\trowd\\cellx1000 AAA\\cell\\row}", 1, 1, QStringLiteral("AAA")},
      {"a row definition after its cells",
       "{\\rtf1\\pard\\intbl a\\cell b\\cell\\trowd\\cellx500\\cellx1500\\row\\pard c\\par}", 1, 2,
       QStringLiteral("a|b")},
      {"a row without \\row at the end", "{\\rtf1\\trowd\\cellx1000\\intbl a\\cell}", 1, 1, QStringLiteral("a")},
      {"rows of different cells", "{\\rtf1\\trowd\\cellx1000\\cellx3000\\intbl a\\cell b\\cell\\row"
                                  "\\trowd\\cellx2000\\cellx3000\\intbl c\\cell d\\cell\\row}",
       2, 3, QStringLiteral("a|b\nc|d")},
      {"a shorter row", "{\\rtf1\\trowd\\cellx1000\\cellx2000\\intbl a\\cell b\\cell\\row"
                        "\\trowd\\cellx1000\\intbl c\\cell\\row}",
       2, 2, QStringLiteral("a|b\nc|")},
  };
  for (const Case& c : cases) {
    auto doc = Read(c.rtf);
    QTextTable* t = nullptr;
    for (QTextFrame* f : doc->rootFrame()->childFrames()) t = t ? t : qobject_cast<QTextTable*>(f);
    ASSERT_NE(t, nullptr) << c.what;
    EXPECT_EQ(t->rows(), c.rows) << c.what;
    EXPECT_EQ(t->columns(), c.columns) << c.what;
    QStringList rows;
    for (int r = 0; r < t->rows(); ++r) {
      QStringList cells;
      for (int col = 0; col < t->columns(); ++col) {
        const QTextTableCell cell = t->cellAt(r, col);
        if (cell.column() != col || cell.row() != r) continue;
        if (cell.format().boolProperty(kCellPhantom)) {
          cells << QString();
          continue;
        }
        QTextCursor sel(doc.get());
        sel.setPosition(cell.firstPosition());
        sel.setPosition(cell.lastPosition(), QTextCursor::KeepAnchor);
        cells << sel.selection().toPlainText();
      }
      rows << cells.join(u'|');
    }
    EXPECT_EQ(rows.join(u'\n'), c.cells) << c.what;
    // Written and read again, the same table.
    auto again = Read(WriteRtf(*doc));
    EXPECT_EQ(TableSummary(*again), TableSummary(*doc)) << c.what;
    EXPECT_EQ(Summary(*again), Summary(*doc)) << c.what;
  }
}

TEST(RtfKept, CellPaddingsAreShownAsWordProcessorsMeanThem) {
  struct Case {
    const char* what;
    QByteArray row;  // the row's words before \cellx1440
    int top, left, bottom, right;  // twips
  };
  const std::vector<Case> cases = {
      // Word processors put a cell's left padding in \clpadt and its top one in \clpadl.
      {"a word processor's cell", "\\trgaph108\\clpadt108\\clpadft3\\clpadr108\\clpadfr3", 0, 108, 0, 108},
      {"all four sides alike", "\\clpadfl3\\clpadl60\\clpadft3\\clpadt60\\clpadfb3\\clpadb60\\clpadfr3\\clpadr60", 60,
       60, 60, 60},
      {"the row's paddings for its cells", "\\trgaph50\\trpaddt40\\trpaddft3\\trpaddl90\\trpaddfl3", 40, 90, 0, 50},
      {"a cell's own over the row's", "\\trpaddl90\\trpaddfl3\\clpadt30\\clpadft3", 0, 30, 0, 0},
      {"a padding whose unit says 'none' counts for nothing", "\\trgaph70\\clpadt200\\clpadft0", 0, 70, 0, 70},
      {"only the gap between cells", "\\trgaph108", 0, 108, 0, 108},
  };
  for (const Case& c : cases) {
    const QByteArray rtf = "{\\rtf1\\trowd" + c.row + "\\cellx1440\\intbl a\\cell\\row}";
    auto doc = Read(rtf);
    QTextTable* t = nullptr;
    for (QTextFrame* f : doc->rootFrame()->childFrames()) t = t ? t : qobject_cast<QTextTable*>(f);
    ASSERT_NE(t, nullptr) << c.what;
    const QTextTableCellFormat cf = t->cellAt(0, 0).format().toTableCellFormat();
    EXPECT_NEAR(cf.topPadding(), TwipsToDoc(c.top), 0.01) << c.what;
    EXPECT_NEAR(cf.leftPadding(), TwipsToDoc(c.left), 0.01) << c.what;
    EXPECT_NEAR(cf.bottomPadding(), TwipsToDoc(c.bottom), 0.01) << c.what;
    EXPECT_NEAR(cf.rightPadding(), TwipsToDoc(c.right), 0.01) << c.what;
    // Written back as they were read.
    const QByteArray out = WriteRtf(*doc);
    for (const QByteArray& word : c.row.split('\\')) {
      if (!word.startsWith("clpad") && !word.startsWith("trpadd")) continue;
      EXPECT_TRUE(out.contains("\\" + word)) << c.what << ": " << word.constData();
    }
  }
}

TEST(RtfKept, SpaceAfterTheLastParagraphOfACellAndBeforeATableIsShown) {
  auto laidOut = [](const QByteArray& rtf) {
    auto doc = Read(rtf);
    doc->setTextWidth(600);
    QTextTable* t = nullptr;
    for (QTextFrame* f : doc->rootFrame()->childFrames()) t = t ? t : qobject_cast<QTextTable*>(f);
    EXPECT_NE(t, nullptr);
    QAbstractTextDocumentLayout* layout = doc->documentLayout();
    if (!t) return std::make_pair(qreal(0), qreal(0));
    const QRectF cell = layout->blockBoundingRect(doc->findBlock(t->cellAt(0, 0).firstPosition()));
    const QRectF first = layout->blockBoundingRect(doc->begin());
    QTextBlock b = doc->begin();
    while (b.isValid() && b.text() != QStringLiteral("after")) b = b.next();
    const QRectF after = layout->blockBoundingRect(b);
    return std::make_pair(cell.top() - first.bottom(), after.top() - cell.top());
  };
  const auto plain = laidOut("{\\rtf1 before\\par\\trowd\\cellx1440\\intbl a\\par b\\cell\\row\\pard after\\par}");
  const auto spaced =
      laidOut("{\\rtf1\\sa400 before\\par\\trowd\\cellx1440\\intbl a\\par b\\cell\\row\\pard\\sa0 after\\par}");
  // 400 twips after "before" and after each cell paragraph: once above the table, and after
  // "a" and "b" inside its row, down to the paragraph after it.
  EXPECT_NEAR(spaced.first - plain.first, TwipsToDoc(400), 1);
  EXPECT_NEAR(spaced.second - plain.second, 2 * TwipsToDoc(400), 1);
  // Shown only: the stored form is unchanged.
  auto doc = Read("{\\rtf1\\sa400 before\\par\\trowd\\cellx1440\\intbl a\\cell\\row}");
  auto again = Read(WriteRtf(*doc));
  EXPECT_EQ(WriteRtf(*again), WriteRtf(*doc));
  EXPECT_EQ(Summary(*again), Summary(*doc));
}

TEST(RtfKept, NestedListsKeepLevelsLabelsAndNumberingAcrossParagraphs) {
  auto doc = Read(Fixture(QStringLiteral("fixtures/office-features.rtf")));
  QStringList labels;
  ListNumberer numberer;
  for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
    const QString label = numberer.Next(b);
    if (!label.isEmpty()) labels << label + u' ' + b.text();
  }
  // Legal numbering shows the chapter in arabic; the list goes on after the paragraph between;
  // the bullet is the symbol font's.
  EXPECT_EQ(labels, (QStringList{QString::fromUtf8("I. Матка"), QString::fromUtf8("1.01. Плодная"),
                                 QString::fromUtf8("1.02. Неплодная"), QString::fromUtf8("II. Трутень"),
                                 QString::fromUtf8("2.01. Летний"), QString::fromUtf8("III. Рабочая пчела"),
                                 QString::fromUtf8("\u2022 Мёд"), QString::fromUtf8("\u2022 Воск")}));
  const QByteArray out = WriteRtf(*doc);
  EXPECT_TRUE(out.contains("{\\*\\listtable")) << out.constData();
  EXPECT_TRUE(out.contains("{\\*\\listoverridetable"));
  EXPECT_TRUE(out.contains("\\levellegal1"));
  EXPECT_TRUE(out.contains("\\ls1\\ilvl1"));
  // Older readers get the labels as text.
  EXPECT_TRUE(out.contains("{\\pntext III.\\tab}"));
  EXPECT_TRUE(out.contains("{\\pntext 2.01.\\tab}"));
  // Each label only once: a legal list no longer restarts its first level.
  EXPECT_EQ(out.count("{\\pntext I.\\tab}"), 1);
}

TEST(RtfKept, ListLabelsAsLevelsDefineThem) {
  ListDefinition def;
  ListLevelDef top, sub;
  top.nfc = 3;  // A
  top.start = 3;
  top.text = QString(QChar(0)) + QStringLiteral(")");
  sub.nfc = 2;  // i
  sub.text = QStringLiteral("(") + QChar(1) + QStringLiteral(")");
  def.levels = {top, sub};
  const int n1[] = {3, 4};
  EXPECT_EQ(LevelLabel(def, 0, n1), QStringLiteral("C)"));
  EXPECT_EQ(LevelLabel(def, 1, n1), QStringLiteral("(iv)"));
  EXPECT_EQ(FormatListNumber(22, 7), QStringLiteral("07"));
  EXPECT_EQ(FormatListNumber(4, 28), QStringLiteral("bb"));
  EXPECT_EQ(FormatListNumber(5, 2), QStringLiteral("2nd"));
  EXPECT_EQ(ListDefinition::Load(def.Save()), def);
}

TEST(RtfKept, CharacterAndParagraphPropertiesAreKeptAndShown) {
  auto doc = Read(Fixture(QStringLiteral("fixtures/office-features.rtf")));
  QHash<QString, QTextCharFormat> byText;
  for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
    for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) byText[it.fragment().text().trimmed()] = it.fragment().charFormat();
  auto fmt = [&](const char* text) { return byText.value(QString::fromUtf8(text)); };
  EXPECT_EQ(UnderlineType(fmt("двойное")), 3);
  EXPECT_EQ(fmt("пунктир").underlineStyle(), QTextCharFormat::DotLine);
  EXPECT_EQ(fmt("волна").underlineStyle(), QTextCharFormat::WaveUnderline);
  EXPECT_EQ(UnderlineType(fmt("жирно")), 9);
  EXPECT_EQ(UnderlineType(fmt("слова отдельно")), 2);
  EXPECT_EQ(fmt("капитель").fontCapitalization(), QFont::AllUppercase);
  EXPECT_EQ(fmt("малые").fontCapitalization(), QFont::SmallCaps);
  EXPECT_TRUE(fmt("контур").boolProperty(kOutline));
  EXPECT_TRUE(fmt("тень").boolProperty(kShadow));
  EXPECT_EQ(fmt("выше").intProperty(kRaiseTw), 60);
  EXPECT_GT(fmt("выше").baselineOffset(), 0);
  EXPECT_EQ(fmt("ниже").intProperty(kRaiseTw), -40);
  EXPECT_EQ(fmt("разрядка").intProperty(kSpacingTw), 40);
  EXPECT_EQ(fmt("разрядка").fontLetterSpacingType(), QFont::AbsoluteSpacing);
  EXPECT_EQ(fmt("кернинг").intProperty(kKerningTw), 240);
  EXPECT_EQ(fmt("широко").intProperty(kCharScaleX), 150);
  EXPECT_EQ(fmt("широко").fontStretch(), 150);
  EXPECT_EQ(fmt("English").intProperty(kLcid), 1033);
  EXPECT_TRUE(fmt("скрыто").boolProperty(kHidden));

  auto block = [&](const char* start) {
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
      if (b.text().startsWith(QString::fromUtf8(start))) return b.blockFormat();
    ADD_FAILURE() << start;
    return QTextBlockFormat();
  };
  const QTextBlockFormat tabs = block("Улей");
  EXPECT_EQ(TabStopsTw(tabs), (QList<int>{3000, 6000, 8000}));
  EXPECT_EQ(TabKinds(tabs), (QList<int>{kTabCenter | kLeaderDashes << 4, kTabRight | kLeaderDots << 4,
                                         kTabDecimal | kLeaderUnderline << 4}));
  EXPECT_EQ(tabs.tabPositions().value(1).type, QTextOption::RightTab);
  const QTextBlockFormat keep = block("Держать");
  EXPECT_EQ(ParaEffects(keep), kEffectKeep | kEffectKeepNext | kEffectNoWidowControl);
  EXPECT_TRUE(keep.nonBreakableLines());
  const QTextBlockFormat boxed = block("Абзац в рамке");
  const ParaBorders box = ParaBordersOf(boxed);
  EXPECT_TRUE(box.box);
  EXPECT_EQ(box.side[ParaBorders::kLeft].style, kBorderSingle);
  EXPECT_EQ(box.side[ParaBorders::kLeft].spaceTw, 40);
  EXPECT_EQ(ColorOfKept(box.side[ParaBorders::kBottom].color), QColor(192, 0, 0));
  EXPECT_EQ(ParaShadingOf(boxed).percent100, 2000);
  EXPECT_TRUE(boxed.background().color().isValid());
  EXPECT_EQ(ParaEffects(boxed) & kEffectNoLineNumber, kEffectNoLineNumber);
  const ParaBorders lines = ParaBordersOf(block("Сверху"));
  EXPECT_EQ(lines.side[ParaBorders::kTop].style, kBorderDouble);
  EXPECT_EQ(lines.side[ParaBorders::kBottom].style, kBorderDotted);
  EXPECT_FALSE(lines.side[ParaBorders::kLeft].Visible());
  EXPECT_EQ(block("\xd7\xa9").layoutDirection(), Qt::RightToLeft);
  EXPECT_TRUE(ParaEffects(block("Страница")) & kEffectPageBreakBefore);

  // Written with the words that say them.
  const QByteArray out = WriteRtf(*doc);
  for (const char* word : {"\\uldb", "\\uld", "\\uldash", "\\ulwave", "\\ulth", "\\ulw", "\\caps", "\\scaps", "\\outl",
                           "\\shad", "\\up6", "\\dn4", "\\expndtw40", "\\kerning24", "\\charscalex150",
                           "\\lang1033", "\\v", "\\tqc\\tlhyph\\tx3000", "\\tqr\\tldot\\tx6000",
                           "\\tqdec\\tlul\\tx8000", "\\keep\\keepn", "\\nowidctlpar", "\\noline",
                           "\\box\\brdrs\\brdrw15\\brsp40\\brdrcf", "\\brdrt\\brdrdb", "\\brdrb\\brdrdot",
                           "\\shading2000", "\\cfpat", "\\cbpat", "\\rtlpar", "\\rtlch", "\\pagebb"})
    EXPECT_TRUE(QString::fromLatin1(out).contains(
        QRegularExpression(QRegularExpression::escape(QLatin1String(word)) + QStringLiteral("(?![a-z])"))))
        << word;
  EXPECT_FALSE(out.contains("\\page\r\n")) << "a page break before a paragraph is no break character";
}

TEST(RtfKept, FieldsFootnotesAndTextBoxes) {
  auto doc = Read(Fixture(QStringLiteral("fixtures/office-features.rtf")));
  const QTextBlock page = [&] {
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
      if (b.text().startsWith(QString::fromUtf8("Страница"))) return b;
    return QTextBlock();
  }();
  ASSERT_TRUE(page.isValid());
  QStringList fieldChars, results, notes;
  for (QTextBlock::iterator it = page.begin(); !it.atEnd(); ++it) {
    const QTextCharFormat f = it.fragment().charFormat();
    if (f.objectType() == kFieldObjectType) fieldChars << f.stringProperty(kFieldInst);
    if (f.hasProperty(kFieldId)) results << it.fragment().text() + u'=' + f.stringProperty(kFieldInst);
    if (f.hasProperty(kFootnote)) notes << it.fragment().text() + u'=' + f.toolTip();
  }
  // A field with no result keeps its instruction in one character; one with a result keeps both.
  EXPECT_EQ(fieldChars, QStringList{QStringLiteral("PAGE")});
  EXPECT_EQ(results, QStringList{QStringLiteral("01.02.2003=DATE \\@ \"dd.MM.yyyy\"")});
  // The footnote is its mark, with the body kept (and shown as the mark's tooltip).
  EXPECT_EQ(notes, QStringList{QString::fromUtf8("1=Текст сноски.")});
  EXPECT_EQ(FieldValue(QStringLiteral("PAGE"), 7), QStringLiteral("7"));
  EXPECT_TRUE(FieldValue(QStringLiteral("EQ \\s\\do5(1)"), 1).isEmpty());

  const QByteArray out = WriteRtf(*doc);
  EXPECT_TRUE(out.contains("{\\field{\\*\\fldinst{PAGE}}{\\fldrslt }}")) << out.constData();
  EXPECT_TRUE(out.contains("{\\field{\\*\\fldinst{DATE \\\\@ \"dd.MM.yyyy\"}}{\\fldrslt{01.02.2003}}}"));
  EXPECT_TRUE(out.contains("\\chftn{\\footnote\\pard\\plain {\\super\\chftn}"));
  // The footnote's own formatting is written with the document's fonts.
  auto again = Read(out);
  EXPECT_EQ(Summary(*again), Summary(*doc));

  // A text box's text is a paragraph where the box was anchored; so is a document whose only
  // text is in one.
  auto box = Read(
      "{\\rtf1 before{\\*\\do\\dobxpage\\dptxbx{\\dptxbxtext\\pard in the box\\par}\\dpx1\\dpy1}after\\par}");
  EXPECT_EQ(box->toPlainText(), QStringLiteral("before\nin the box\nafter"));
  auto only = Read("{\\rtf1{\\*\\do\\dptxbx{\\dptxbxtext text\\par}}}");
  EXPECT_EQ(only->toPlainText().trimmed(), QStringLiteral("text"));
}

// A footnote's body has formats of its own, unlike the text around its mark; each run keeps its
// colour, font and weight through a write and a read.
TEST(RtfKept, AFootnoteBodyKeepsItsOwnFormats) {
  const auto noteRuns = [](const QTextDocument& doc) {
    QStringList runs;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
      for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
        const QTextCharFormat f = it.fragment().charFormat();
        if (!f.hasProperty(kFootnote)) continue;
        auto note = Read(f.property(kFootnote).toByteArray());
        for (QTextBlock nb = note->begin(); nb.isValid(); nb = nb.next())
          for (QTextBlock::iterator n = nb.begin(); !n.atEnd(); ++n) {
            const QTextCharFormat nf = n.fragment().charFormat();
            runs << QStringLiteral("%1 %2 %3 %4")
                        .arg(n.fragment().text().trimmed(), nf.foreground().color().name(),
                             nf.fontFamilies().toStringList().value(0))
                        .arg(nf.fontWeight() > QFont::Medium ? "b" : "");
          }
      }
    return runs;
  };
  auto doc = Read(
      "{\\rtf1{\\fonttbl{\\f0 Times;}{\\f1 Arial;}}"
      "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green128\\blue0;}"
      "\\f0 a {\\cf1\\b red}{\\i it}{\\super\\chftn}"
      "{\\footnote\\pard{\\super\\chftn} plain {\\f1\\cf2 green} {\\b bold}} b}");
  const QStringList before = noteRuns(*doc);
  ASSERT_TRUE(before.contains(QStringLiteral("green #008000 Arial "))) << before.join(u'|').toStdString();
  ASSERT_TRUE(before.contains(QStringLiteral("bold #000000 Times b"))) << before.join(u'|').toStdString();
  auto again = Read(WriteRtf(*doc));
  EXPECT_EQ(noteRuns(*again), before);
}

TEST(RtfKept, OfficeSuitesMayPutWhiteSpaceBeforeTheVersion) {
  for (const QByteArray& rtf : {QByteArray("{ \\rtf1 text}"), QByteArray("{\r\n\\rtf1 text}"),
                                QByteArray("  {\t \\rtf1\\ansi text}")}) {
    EXPECT_TRUE(LooksLikeRtf(rtf)) << rtf.constData();
    EXPECT_EQ(Read(rtf)->toPlainText(), QStringLiteral("text")) << rtf.constData();
  }
  EXPECT_FALSE(LooksLikeRtf("{ text \\rtf1}"));
  EXPECT_FALSE(LooksLikeRtf("{}"));
}

TEST(RtfKept, TextThatNamesNoFontIsWrittenInTheGivenFont) {
  QTextDocument doc;
  QTextCursor(&doc).insertText(QStringLiteral("x"));
  // Not the machine's default font: the one the caller names, else RTF's own default.
  const QByteArray plain = WriteRtf(doc);
  EXPECT_TRUE(plain.contains("Times New Roman;")) << plain.constData();
  EXPECT_TRUE(plain.contains("\\fs24"));
  QFont verdana(QStringLiteral("Verdana"));
  verdana.setPointSize(12);
  const QByteArray given = WriteRtf(doc, 0, -1, &verdana);
  EXPECT_TRUE(given.contains("Verdana;")) << given.constData();
  EXPECT_FALSE(given.contains(doc.defaultFont().family().toLatin1() + ';'));
}

TEST(RtfKept, HtmlIsValidAndLeavesHiddenTextOut) {
  auto doc = Read(Fixture(QStringLiteral("fixtures/office-features.rtf")));
  const QString html = DocumentToHtml(*doc);
  // No element carries an attribute twice (browsers drop the list's indent then).
  static const QRegularExpression tag(QStringLiteral("<[a-zA-Z][^>]*>"));
  for (auto it = tag.globalMatch(html); it.hasNext();) {
    const QString t = it.next().captured();
    EXPECT_LE(t.count(QStringLiteral(" style=")), 1) << t.toStdString();
  }
  EXPECT_TRUE(html.contains(QStringLiteral("<li")));
  EXPECT_TRUE(html.contains(QStringLiteral("<table")));
  EXPECT_FALSE(html.contains(QString::fromUtf8("скрыто")));
  EXPECT_TRUE(html.contains(QString::fromUtf8("видно")));
}

// A row of more cells than any writer makes, or a table of very many rows, is read in time and
// loses no text: further cells go on in the row's last one, further rows in a table of their own.
TEST(RtfKept, HugeTablesAreReadInTimeWithAllTheirText) {
  struct TCase {
    const char* name;
    QByteArray rtf;
    int tables, columns, rows;
    char prefix;
    int count;
  };
  QByteArray wide = "{\\rtf1 \\trowd ";
  for (int i = 0; i < 3000; ++i) wide += "c" + QByteArray::number(i) + "\\cell ";
  wide += "\\row}";
  QByteArray tall = "{\\rtf1 ";
  for (int i = 0; i < 2500; ++i) tall += "\\trowd\\cellx900 r" + QByteArray::number(i) + "\\cell\\row ";
  tall += "}";
  const TCase cases[] = {{"wide", wide, 1, kMaxTableColumns, 1, 'c', 3000},
                           {"tall", tall, 3, 1, kMaxTableRows, 'r', 2500}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    QTextDocument doc;
    QTextCursor cur(&doc);
    ASSERT_TRUE(ReadRtf(c.rtf, cur));
    int tables = 0;
    for (QTextFrame* frame : doc.rootFrame()->childFrames())
      if (auto* t = qobject_cast<QTextTable*>(frame)) {
        ++tables;
        EXPECT_LE(t->columns(), c.columns);
        EXPECT_LE(t->rows(), c.rows);
      }
    EXPECT_EQ(tables, c.tables);
    const QString text = doc.toPlainText();
    // Every cell's text, in order.
    QStringList expected;
    for (int i = 0; i < c.count; ++i) expected << QStringLiteral("%1%2").arg(QLatin1Char(c.prefix)).arg(i);
    EXPECT_EQ(text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts), expected);
    // What was read writes and reads back the same.
    const QByteArray out = WriteRtf(doc);
    QTextDocument again;
    QTextCursor c2(&again);
    ASSERT_TRUE(ReadRtf(out, c2));
    EXPECT_EQ(again.toPlainText(), text);
    EXPECT_EQ(WriteRtf(again), out);
  }
}
