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
  const QString text = U("\xEF\xBB\xBF\r\n## Улей\r\n**Улей** — жилище **пчёл**.\r\n\r\nВторой абзац.\r\n\r\n\r\n"
                         "## улей-лежак\n**улей-лежак** — горизонтальный [[Улей|улей]].\n");
  QList<Entry> entries;
  SourceError error;
  ASSERT_TRUE(glossary::ParseLetterText(text, 19, "19.txt", &entries, &error)) << error.ToString().toStdString();
  ASSERT_EQ(entries.size(), 2);
  EXPECT_EQ(entries[0].letter, 19);
  EXPECT_EQ(entries[0].term, U("Улей"));
  EXPECT_EQ(entries[0].markup, U("**Улей** — жилище **пчёл**.\n\nВторой абзац."));
  EXPECT_EQ(entries[0].line, 2);
  EXPECT_EQ(entries[1].term, U("улей-лежак"));
  EXPECT_EQ(entries[1].markup, U("**улей-лежак** — горизонтальный [[Улей|улей]]."));
  EXPECT_EQ(entries[1].line, 8);
  EXPECT_TRUE(entries[0].references.isEmpty());
  ASSERT_EQ(entries[1].references.size(), 1);
  EXPECT_EQ(entries[1].references[0].target, U("Улей"));
  EXPECT_EQ(entries[1].references[0].line, 9);
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
      {"text before the first heading", kA, "Апис\n## Апис\n**Апис**.", 1, "before the first"},
      {"heading without a space", kA, "##Апис\n**Апис**.", 1, "heading"},
      {"empty heading", kA, "## \n**Апис**.", 1, "heading"},
      {"term of 41 characters", kA,
       "## Ааааааааааааааааааааааааааааааааааааааааа\nТекст.", 1, "41 characters"},
      {"term of 41 characters, some outside the basic plane", kA,
       "## А\xF0\x9F\x90\x9D\xF0\x9F\x90\x9D\xF0\x9F\x90\x9Dааааааааааааааааааааааааааааааааааааа\nТекст.", 1,
       "41 characters"},
      {"term holding a control character", kA, "## Ап\x01ис\nПчела.", 1, "U+0001"},
      {"term holding a tab", kA, "## Ап\tис\nПчела.", 1, "U+0009"},
      {"term turning the writing direction", kA, "## Ап\u202eис\nПчела.", 1, "U+202e"},
      {"term of another letter", kA, "## Апис\n**Апис**.\n\n## Бортник\n**Бортник**.", 4,
       "does not start with the letter"},
      {"duplicate term", kA, "## Апис\n**Апис**.\n\n## Аэростат\n**Аэростат**.\n\n## Апис\n**Апис**.", 7,
       "twice"},
      {"duplicate differing in case and Ё", kE, "## Ёмкость\n**Ёмкость**.\n## емкость\n**емкость**.", 3,
       "twice"},
      {"term without definition", kA, "## Апис\n\n\n## Ар\n**Ар**.", 1, "no definition"},
      {"last term without definition", kA, "## Апис\n**Апис**.\n## Ар\n\n", 3, "no definition"},
      {"unclosed bold", kA, "## Апис\n**Апис**.\n\nВторой **жирный.", 4, "**"},
      {"unclosed italic in a bullet", kA, "## Апис\n**Апис**.\n- один\n- *Apis", 4, "*"},
      // The definition opens with its own term in bold, exactly as the heading has it.
      {"no bold lead", kA, "## Апис\n\nРод пчёл.", 3, "does not open with its term"},
      {"bold lead is another word", kA, "## Апис\n**Apis** — род.", 2, "\"Apis\" in bold"},
      {"bold lead longer than the term", kA, "## Апис\n**Апис мелифера** — вид.", 2, "in bold"},
      {"bold lead in another case", kA, "## Апис\n**апис** — род.", 2, "in bold"},
      {"bold lead after other words", kA, "## Апис\nРод **Апис**.", 2, "does not open"},
      // Cross-references: well formed, one line, no markers inside.
      {"unclosed cross-reference", kA, "## Апис\n**Апис** — см.\n[[Улей.", 3, "unclosed [["},
      {"cross-reference without a term", kA, "## Апис\n**Апис** — [[|улей]].", 2, "names no term"},
      {"empty cross-reference", kA, "## Апис\n**Апис** — [[]].", 2, "names no term"},
      {"cross-reference without text to show", kA, "## Апис\n**Апис** — [[Улей|]].", 2, "no text to show"},
      {"cross-reference inside another", kA, "## Апис\n**Апис** — [[Улей [[Рамка]]]].", 2, "another [["},
      {"markers inside a cross-reference", kA, "## Апис\n**Апис** — [[*Apis*]].", 2, "markers inside"},
      {"closing brackets without an opening", kA, "## Апис\n**Апис**\n- пункт]] и всё.", 3, "without an opening"},
      {"fault on a continuation line", kA, "## Апис\n**Апис** — длинный\nабзац [[Улей\nи дальше.", 3,
       "unclosed [["},
      // A number and its unit are joined by a non-breaking space, never by an ordinary one or none.
      {"ordinary space before a unit", kA, "## Апис\n**Апис** длиной 12 мм.", 2, "\"2 мм\""},
      {"no space before degrees", kA, "## Апис\n**Апис**\n\nПри +12°C.", 4, "\"2°C\""},
      {"ordinary space before per cent", kA, "## Апис\n**Апис** — до 20 %.", 2, "non-breaking space"},
      {"ordinary space before kilograms", kA, "## Апис\n**Апис**\n- запас 18–25 кг;", 3, "\"5 кг\""},
      {"thin space before grams", kA, "## Апис\n**Апис** — 100\u2009г.", 2, "non-breaking space"},
      {"unit split over two lines", kA, "## Апис\n**Апис** — 2–3\nкм от пасеки.", 2, "\"3 км\""},
      {"year abbreviation", kA, "## Апис\n**Апис**, описан в 1758 г.", 2, "\"8 г\""},
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
  EXPECT_FALSE(glossary::ParseLetterText(U("## Ап") + QChar(0) + U("ис\n**Ап") + QChar(0) + U("ис**."), kA, "01.txt", &entries, &error));
  EXPECT_TRUE(error.message.contains("U+0000")) << error.message.toStdString();
  EXPECT_TRUE(entries.isEmpty());
}

TEST(GlossarySource, AcceptsTermsOfExactlyFortyCharactersAndLettersWithoutButtons) {
  const QString forty = U("П") + QString(39, QChar(0x0430));
  QList<Entry> entries;
  SourceError error;
  EXPECT_TRUE(glossary::ParseLetterText("## " + forty + "\n**" + forty + "**.", kP, "15.txt", &entries, &error));
  // Forty characters, ten of them each two UTF-16 units.
  QString bees = U("П");
  for (int i = 0; i < 10; ++i) bees += U("\xF0\x9F\x90\x9D");
  bees += QString(29, QChar(0x0430));
  EXPECT_TRUE(glossary::ParseLetterText("## " + bees + "\n**" + bees + "**.", kP, "15.txt", &entries, &error))
      << error.ToString().toStdString();
  // Ё is filed under Е; escaped asterisks are not markers.
  EXPECT_TRUE(glossary::ParseLetterText(U("## Ёмкость\n**Ёмкость**. Звёздочка \\* не курсив."), kE, "06.txt",
                                        &entries, &error))
      << error.ToString().toStdString();
  EXPECT_EQ(entries.size(), 3);
}

TEST(GlossarySource, CrossReferencesAndTermsAreCheckedAcrossTheFiles) {
  struct Case {
    const char* name;
    const char* aText;  // letter А
    const char* uText;  // letter У
    const char* file;   // where the fault is reported, or nullptr when there is none
    int line;
    const char* inMessage;
  };
  const Case cases[] = {
      {"references across files, in another case and with Ё as Е",
       "## Апис\n**Апис** живёт в [[улей|ульях]] и [[улей-лёжак|лежаках]].",
       "## Улей\n**Улей** — жилище [[Апис|пчёл]].\n\n## Улей-лежак\n**Улей-лежак** — вид [[УЛЕЙ]].",
       nullptr, 0, ""},
      {"reference to a missing term", "## Апис\n**Апис** — род.\n\nЖивёт в\n[[Улье]].", "## Улей\n**Улей**.",
       "01.txt", 5, "[[Улье]] names no term"},
      {"reference to a missing term, shown text aside", "## Апис\n**Апис**.",
       "## Улей\n**Улей** — см. [[Пчела|пчёлы]].", "21.txt", 2, "[[Пчела]]"},
      {"entry referring to itself", "## Апис\n**Апис** — см. [[апис]].", "## Улей\n**Улей**.", "01.txt", 2,
       "refers to itself"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QList<Entry> entries;
    SourceError error;
    ASSERT_TRUE(glossary::ParseLetterText(U(c.aText), kA, "01.txt", &entries, &error)) << error.ToString().toStdString();
    ASSERT_TRUE(glossary::ParseLetterText(U(c.uText), 19, "21.txt", &entries, &error)) << error.ToString().toStdString();
    error = {};
    EXPECT_EQ(glossary::CheckEntries(entries, &error), c.file == nullptr) << error.ToString().toStdString();
    if (!c.file) continue;
    EXPECT_EQ(error.ToString().left(error.ToString().indexOf(' ')), QStringLiteral("%1:%2:").arg(c.file).arg(c.line));
    EXPECT_TRUE(error.message.contains(U(c.inMessage))) << error.message.toStdString();
  }

  // The same term from two sources (the files themselves cannot hold one: a term's first letter
  // names its file, but entries may come from elsewhere).
  QList<Entry> twice = {{1, U("Апис"), U("**Апис**."), "01.txt", 3, {}},
                        {19, U("Улей"), U("**Улей**."), "21.txt", 1, {}},
                        {1, U("АПИС"), U("**АПИС**."), "extra.txt", 8, {}}};
  SourceError error;
  EXPECT_FALSE(glossary::CheckEntries(twice, &error));
  EXPECT_EQ(error.ToString(), U("extra.txt:8: the term \"АПИС\" appears twice (first at 01.txt:3)"));
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
      {"cross-references show their text", "См. [[Улей]] и [[Рамка | рамку]].",
       {{"См. Улей и рамку.", false}}},
      {"a cross-reference takes the formatting around it", "**[[Улей]]**, *[[Apis]]*",
       {{"[Улей], <Apis>", false}}},
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
