// Reading the glossary source: headings, definitions, the faults a writer makes, and the markup
// that becomes a definition's formatting.
#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextList>

#include "glossary/GlossarySource.h"
#include "rtf/TextModel.h"

using glossary::Entry;
using glossary::SourceError;

namespace {

constexpr int kA = 1;   // А
constexpr int kE = 6;   // Е
constexpr int kP = 15;  // П

QString U(const char* s) { return QString::fromUtf8(s); }

}  // namespace

TEST(GlossarySource, LettersFollowTheLetterBar) {
  const QStringList& l = glossary::Letters();
  ASSERT_EQ(l.size(), 27);
  EXPECT_EQ(l.join(QString()), U("АБВГДЕЖЗИКЛМНОПРСТУФХЦЧШЭЮЯ"));
  EXPECT_EQ(glossary::LetterFileName(1), "01.txt");
  EXPECT_EQ(glossary::LetterFileName(27), "27.txt");
}

TEST(GlossarySource, ReadsEntriesWithTheirDefinitions) {
  const QString text = U("\xEF\xBB\xBF\r\n## Улей\r\nЖилище **пчёл**.\r\n\r\nВторой абзац.\r\n\r\n\r\n"
                         "## улей-лежак\nГоризонтальный улей.\n");
  QList<Entry> entries;
  SourceError error;
  ASSERT_TRUE(glossary::ParseLetterText(text, 19, "19.txt", &entries, &error)) << error.ToString().toStdString();
  ASSERT_EQ(entries.size(), 2);
  EXPECT_EQ(entries[0].letter, 19);
  EXPECT_EQ(entries[0].term, U("Улей"));
  EXPECT_EQ(entries[0].markup, U("Жилище **пчёл**.\n\nВторой абзац."));
  EXPECT_EQ(entries[0].line, 2);
  EXPECT_EQ(entries[1].term, U("улей-лежак"));
  EXPECT_EQ(entries[1].markup, U("Горизонтальный улей."));
  EXPECT_EQ(entries[1].line, 8);
}

TEST(GlossarySource, ReportsFaultsWithFileAndLine) {
  struct Case {
    const char* name;
    int letter;
    const char* text;
    int line;
    const char* inMessage;
  };
  const Case cases[] = {
      {"text before the first heading", kA, "Апис\n## Апис\nПчела.", 1, "before the first"},
      {"heading without a space", kA, "##Апис\nПчела.", 1, "heading"},
      {"empty heading", kA, "## \nПчела.", 1, "heading"},
      {"term of 41 characters", kA,
       "## Ааааааааааааааааааааааааааааааааааааааааа\nТекст.", 1, "41 characters"},
      {"term of 41 characters, some outside the basic plane", kA,
       "## А\xF0\x9F\x90\x9D\xF0\x9F\x90\x9D\xF0\x9F\x90\x9Dааааааааааааааааааааааааааааааааааааа\nТекст.", 1,
       "41 characters"},
      {"term holding a control character", kA, "## Ап\x01ис\nПчела.", 1, "U+0001"},
      {"term holding a tab", kA, "## Ап\tис\nПчела.", 1, "U+0009"},
      {"term of another letter", kA, "## Апис\nПчела.\n\n## Бортник\nТекст.", 4,
       "does not start with the letter"},
      {"duplicate term", kA, "## Апис\nПчела.\n\n## Аэростат\nТ.\n\n## Апис\nСнова.", 7,
       "twice"},
      {"duplicate differing in case and Ё", kE, "## Ёмкость\nТ.\n## емкость\nТ.", 3, "twice"},
      {"term without definition", kA, "## Апис\n\n\n## Ар\nТ.", 1, "no definition"},
      {"last term without definition", kA, "## Апис\nПчела.\n## Ар\n\n", 3, "no definition"},
      {"unclosed bold", kA, "## Апис\nПервый.\n\nВторой **жирный.", 4, "**"},
      {"unclosed italic in a bullet", kA, "## Апис\nТ.\n- один\n- *Apis", 4, "*"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QList<Entry> entries;
    SourceError error;
    EXPECT_FALSE(glossary::ParseLetterText(U(c.text), c.letter, "x.txt", &entries, &error));
    EXPECT_TRUE(entries.isEmpty());
    EXPECT_EQ(error.file, "x.txt");
    EXPECT_EQ(error.line, c.line);
    EXPECT_TRUE(error.message.contains(U(c.inMessage))) << error.message.toStdString();
    EXPECT_TRUE(error.ToString().startsWith(QStringLiteral("x.txt:%1: ").arg(c.line)));
  }
}

TEST(GlossarySource, ATermHoldingANulIsRefused) {
  QList<Entry> entries;
  SourceError error;
  EXPECT_FALSE(glossary::ParseLetterText(U("## Ап") + QChar(0) + U("ис\nПчела."), kA, "01.txt", &entries, &error));
  EXPECT_TRUE(error.message.contains("U+0000")) << error.message.toStdString();
  EXPECT_TRUE(entries.isEmpty());
}

TEST(GlossarySource, AcceptsTermsOfExactlyFortyCharactersAndLettersWithoutButtons) {
  const QString forty = U("П") + QString(39, QChar(0x0430));
  QList<Entry> entries;
  SourceError error;
  EXPECT_TRUE(glossary::ParseLetterText("## " + forty + "\nT.", kP, "15.txt", &entries, &error));
  // Forty characters, ten of them each two UTF-16 units.
  QString bees = U("П");
  for (int i = 0; i < 10; ++i) bees += U("\xF0\x9F\x90\x9D");
  bees += QString(29, QChar(0x0430));
  EXPECT_TRUE(glossary::ParseLetterText("## " + bees + "\nT.", kP, "15.txt", &entries, &error))
      << error.ToString().toStdString();
  // Ё is filed under Е; escaped asterisks are not markers.
  EXPECT_TRUE(glossary::ParseLetterText(U("## Ёмкость\nЗвёздочка \\* не курсив."), kE, "06.txt",
                                        &entries, &error))
      << error.ToString().toStdString();
  EXPECT_EQ(entries.size(), 3);
}

TEST(GlossarySource, MissingSourceFolderIsAnError) {
  QList<Entry> entries;
  SourceError error;
  EXPECT_FALSE(glossary::ReadSourceFolder("/nonexistent/termora-glossary", &entries, &error));
  EXPECT_TRUE(error.file.endsWith("01.txt"));
  EXPECT_TRUE(error.message.contains("cannot read"));
}

// --- markup to document -----------------------------------------------------------------------

namespace {

struct Para {
  QString text;
  bool bullet = false;
};

// The document as paragraphs, with bold spans in [] and italic spans in <>.
QList<Para> Describe(const QTextDocument& doc) {
  QList<Para> out;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    Para p;
    p.bullet = b.blockFormat().property(rtf::kNumbering).toInt() == 1;
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment f = it.fragment();
      QString t = f.text();
      if (f.charFormat().fontWeight() >= QFont::Bold) t = "[" + t + "]";
      if (f.charFormat().fontItalic()) t = "<" + t + ">";
      p.text += t;
    }
    out.append(p);
  }
  return out;
}

}  // namespace

TEST(GlossaryMarkup, BuildsParagraphsBoldItalicAndBullets) {
  struct Case {
    const char* name;
    const char* markup;
    std::vector<std::pair<const char*, bool>> paras;  // text, bullet
  };
  const Case cases[] = {
      {"one paragraph over two lines", "Первая\nстрока.", {{"Первая строка.", false}}},
      {"blank line splits paragraphs", "Один.\n\n\nДва.", {{"Один.", false}, {"Два.", false}}},
      {"bold and italic", "**Пчела** (*Apis mellifera*) — насекомое.",
       {{"[Пчела] (<Apis mellifera>) — насекомое.", false}}},
      {"bold italic", "***Apis***", {{"<[Apis]>", false}}},
      {"escaped markers stay literal", "2 \\* 3 \\\\ 4", {{"2 * 3 \\ 4", false}}},
      {"bullets after a paragraph", "Виды:\n- первый;\n- **второй**.",
       {{"Виды:", false}, {"первый;", true}, {"[второй].", true}}},
      {"indented line continues a bullet", "- начало\n  продолжение",
       {{"начало продолжение", true}}},
      {"unindented line after a bullet starts a paragraph", "- пункт\nИтог.",
       {{"пункт", true}, {"Итог.", false}}},
      {"stray marker taken literally", "5 * 3", {{"5 * 3", false}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QTextDocument doc;
    glossary::MarkupToDocument(U(c.markup), &doc);
    const QList<Para> got = Describe(doc);
    ASSERT_EQ(got.size(), qsizetype(c.paras.size()));
    for (size_t i = 0; i < c.paras.size(); ++i) {
      EXPECT_EQ(got[i].text, U(c.paras[i].first));
      EXPECT_EQ(got[i].bullet, c.paras[i].second);
    }
  }
}

TEST(GlossaryMarkup, BulletParagraphsCarryTheEngineIndentsAndOneList) {
  QTextDocument doc;
  glossary::MarkupToDocument(U("Список:\n- один\n- два\n\nКонец."), &doc);
  const QTextBlock intro = doc.begin();
  const QTextBlock one = intro.next();
  const QTextBlock two = one.next();
  const QTextBlock end = two.next();
  EXPECT_EQ(intro.textList(), nullptr);
  ASSERT_NE(one.textList(), nullptr);
  EXPECT_EQ(one.textList(), two.textList());
  EXPECT_EQ(one.textList()->format().style(), QTextListFormat::ListDisc);
  EXPECT_EQ(end.textList(), nullptr);
  const QTextBlockFormat f = one.blockFormat();
  const int start = f.property(rtf::kStartIndentTw).toInt();
  const int offset = f.property(rtf::kOffsetTw).toInt();
  EXPECT_GT(start, 0);
  EXPECT_GT(offset, 0);
  EXPECT_DOUBLE_EQ(f.leftMargin(), rtf::TwipsToDoc(start + offset));
  // The first line's text starts after the bullet, at the hanging indent.
  EXPECT_DOUBLE_EQ(f.leftMargin() + f.textIndent(), rtf::TwipsToDoc(start + rtf::LabelRoomTw(f)));
  EXPECT_EQ(rtf::LabelRoomTw(f), std::max(offset, 360));  // offset > 0 above
  EXPECT_FALSE(end.blockFormat().hasProperty(rtf::kNumbering));
  // Paragraphs are set apart, but a list keeps to the line that introduces it.
  EXPECT_EQ(rtf::SpaceAfterTw(intro.blockFormat()), 0);
  EXPECT_EQ(rtf::SpaceAfterTw(one.blockFormat()), 0);
  EXPECT_GT(rtf::SpaceAfterTw(two.blockFormat()), 0);
  EXPECT_EQ(rtf::SpaceAfterTw(end.blockFormat()), 0);
  EXPECT_EQ(end.blockFormat().leftMargin(), 0);
}
