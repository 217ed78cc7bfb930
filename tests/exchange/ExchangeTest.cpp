// Exchanging terms: every format gives back what it was given, a file that cannot be read whole
// stores nothing, and an import decides each conflict as the user chose, in one transaction.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <map>

#include "data/TermReader.h"
#include "data/TermWriter.h"
#include "exchange/Csv.h"
#include "exchange/Export.h"
#include "exchange/Import.h"
#include "exchange/Markup.h"
#include "exchange/Tbx.h"
#include "glossary/GlossaryBuild.h"
#include "tests/common/GlossaryFixture.h"

namespace {

using exchange::Choice;
using exchange::Format;
using exchange::ItemKind;

// name -> stored definition, for comparing glossaries.
std::map<QString, QByteArray> StoredTerms(const QString& folder) {
  std::map<QString, QByteArray> out;
  data::TermReader r;
  EXPECT_TRUE(r.Open(folder).Ok());
  std::vector<data::TermRow> rows;
  EXPECT_TRUE(r.ReadAfter(0, 1000000, &rows).Ok());
  for (const data::TermRow& t : rows) out[t.word] = t.definition;
  return out;
}

// The bundled glossary's source, built as the builder does.
void BuildBundled(const QString& folder) {
  QList<glossary::Entry> entries;
  glossary::SourceError e;
  ASSERT_TRUE(glossary::ReadSourceFolder(QStringLiteral(TERMORA_SOURCE_DIR "/glossary/terms"), &entries, &e))
      << e.ToString().toStdString();
  QString message;
  ASSERT_EQ(glossary::BuildTables(entries, folder, &message), glossary::BuildResult::Built) << message.toStdString();
}

void BuildEmpty(const QString& folder) { BuildGlossary(folder, {}); }

QString Path(const QTemporaryDir& d, const char* name) { return d.filePath(QString::fromUtf8(name)); }

bool Import(const QString& file, const QString& folder, Choice choice, exchange::ImportSummary* s = nullptr,
            QString* error = nullptr) {
  exchange::Document doc;
  exchange::Plan plan;
  QString e;
  if (!exchange::ReadExchangeFile(file, &doc, &e) || !exchange::MakePlan(folder, doc, &plan, &e)) {
    if (error) *error = e;
    return false;
  }
  exchange::ChooseForAll(&plan, choice);
  return exchange::ApplyPlan(plan, s, error ? error : &e);
}

// A rich definition, as the editor stores one (font, colour, CR LF paragraphs), and definitions
// stored by older programs: plain text in a code page, and none at all.
const QByteArray kRichRtf =
    "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil\\fcharset204 Times New Roman;}}"
    "{\\colortbl ;\\red255\\green0\\blue0;}\r\n\\pard\\cf1\\f0\\fs28 \\'cf\\'f0\\'e8 \"<&>\", \\b \\'e6\\'e8\\'f0\\b0\\par\r\n"
    "\\pard\\li720 \\u8364?\\par\r\n}\r\n";

void BuildOdd(const QString& folder) {
  std::vector<LetterTerms> letters;
  for (int n = 1; n <= 27; ++n) letters.push_back({QString::fromUtf16(kLetterCaptions[n - 1]), {}});
  letters[0].terms = {GlossaryTerm(QStringLiteral("Апис, \"медоносная\" <пчела> & Ко"), kRichRtf),
                      GlossaryTerm(QStringLiteral("Акация"), QByteArray("\xcf\xf0\xee\xf1\xf2\xee \xf2\xe5\xea\xf1\xf2")),
                      GlossaryTerm(QStringLiteral("Ась"), QByteArray())};
  letters[9].terms = {GlossaryTerm(QStringLiteral("Клещ"), QByteArray("{\\rtf1 base64:\r\n\"x\"\r\n}"))};
  MakeGlossary(folder, letters);
}

TEST(Exchange, TbxAndCsvGiveBackEveryTermByteForByte) {
  for (const Format format : {Format::Tbx, Format::Csv}) {
    SCOPED_TRACE(format == Format::Tbx ? "TBX" : "CSV");
    for (const bool bundled : {true, false}) {
      QTemporaryDir dir;
      const QString from = Path(dir, "from"), to = Path(dir, "to");
      const QString file = Path(dir, format == Format::Tbx ? "terms.tbx" : "terms.csv");
      bundled ? BuildBundled(from) : BuildOdd(from);
      BuildEmpty(to);
      QList<exchange::Term> terms;
      QString error;
      ASSERT_TRUE(exchange::ReadGlossaryTerms(from, {}, &terms, &error)) << error.toStdString();
      ASSERT_FALSE(terms.isEmpty());
      ASSERT_TRUE(exchange::WriteTerms(terms, format, file, nullptr, &error)) << error.toStdString();
      exchange::ImportSummary s;
      ASSERT_TRUE(Import(file, to, Choice::Mine, &s, &error)) << error.toStdString();
      EXPECT_EQ(s.added, terms.size());
      EXPECT_EQ(StoredTerms(to), StoredTerms(from));
      // Imported again, everything is already there.
      ASSERT_TRUE(Import(file, to, Choice::Theirs, &s, &error)) << error.toStdString();
      EXPECT_EQ(s.identical, terms.size());
      EXPECT_EQ(s.added + s.replaced, 0);
    }
  }
}

TEST(Exchange, SourceMarkupRebuildsTheSameDefinitions) {
  QTemporaryDir dir;
  const QString from = Path(dir, "from"), to = Path(dir, "to"), src = Path(dir, "src");
  BuildBundled(from);
  QList<exchange::Term> terms;
  QStringList notes;
  QString error;
  ASSERT_TRUE(exchange::ReadGlossaryTerms(from, {}, &terms, &error)) << error.toStdString();
  ASSERT_TRUE(exchange::WriteTerms(terms, Format::Markup, src, &notes, &error)) << error.toStdString();
  EXPECT_TRUE(notes.isEmpty()) << notes.join('\n').toStdString();
  // The builder itself reads the folder back.
  QString out, err;
  QTextStream o(&out), e(&err);
  ASSERT_EQ(glossary::RunBuilder(src, to, o, e), 0) << err.toStdString();
  EXPECT_EQ(StoredTerms(to), StoredTerms(from));
}

TEST(Exchange, SourceMarkupSaysWhatItCannotHold) {
  QTemporaryDir dir;
  const QString from = Path(dir, "from"), src = Path(dir, "src"), to = Path(dir, "to");
  BuildOdd(from);
  QList<exchange::Term> terms;
  QStringList notes;
  QString error;
  ASSERT_TRUE(exchange::ReadGlossaryTerms(from, {}, &terms, &error));
  ASSERT_TRUE(exchange::WriteTerms(terms, Format::Markup, src, &notes, &error)) << error.toStdString();
  const QString said = notes.join('\n');
  EXPECT_TRUE(said.contains("need a definition") || said.contains("needs a definition")) << said.toStdString();
  EXPECT_TRUE(said.contains("cannot say")) << said.toStdString();
  // What was written still builds, with the text of the rich definition.
  QString out, err;
  QTextStream o(&out), e(&err);
  ASSERT_EQ(glossary::RunBuilder(src, to, o, e), 0) << err.toStdString();
  const auto built = StoredTerms(to);
  ASSERT_EQ(built.size(), 3u);
  EXPECT_EQ(exchange::DefinitionText(built.at(QStringLiteral("Апис, \"медоносная\" <пчела> & Ко"))),
            exchange::DefinitionText(kRichRtf).replace("\n\n", "\n"));
}

TEST(Exchange, MarkupOfBoldItalicAndLists) {
  const QString markup = QStringLiteral(
      "**Прополис** (клей) — *Apis* \\*звёздочка\\* и \\\\.\n\nПчёлы:\n- заделывают ***щели***;\n- полируют *ячейки*.");
  bool exact = false;
  EXPECT_EQ(exchange::DefinitionMarkup(glossary::DefinitionBytes(markup), &exact), markup);
  EXPECT_TRUE(exact);
}

TEST(Exchange, TbxOfAnotherToolImportsAsText) {
  QTemporaryDir dir;
  const QString to = Path(dir, "to");
  BuildEmpty(to);
  // Multilingual, TBX 3 names, definitions at either level, an entry without Russian.
  const QByteArray tbx = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE martif SYSTEM "TBXcoreStructV02.dtd">
<martif type="TBX" xml:lang="en"><text><body>
 <termEntry id="1">
  <descrip type="definition">Entry-level definition</descrip>
  <langSet xml:lang="en"><tig><term>propolis</term></tig></langSet>
  <langSet xml:lang="ru-RU"><ntig><termGrp><term>Прополис</term></termGrp></ntig><tig><term>Пчелиный клей</term></tig></langSet>
 </termEntry>
 <termEntry id="2">
  <langSet xml:lang="ru"><descrip type="definition">Первая строка.
Вторая строка.</descrip><tig><term>Вощина</term></tig></langSet>
 </termEntry>
 <termEntry id="3"><langSet xml:lang="de"><tig><term>Wabe</term></tig></langSet></termEntry>
</body></text></martif>)";
  exchange::Document doc;
  QString error;
  ASSERT_TRUE(exchange::ReadTbx(tbx, &doc, &error)) << error.toStdString();
  ASSERT_EQ(doc.terms.size(), 2);
  EXPECT_EQ(doc.terms[0].name, QStringLiteral("Прополис"));
  EXPECT_EQ(doc.terms[0].text, QStringLiteral("Entry-level definition"));
  EXPECT_EQ(doc.terms[1].text, QStringLiteral("Первая строка.\nВторая строка."));
  const QString notes = doc.notes.join('\n');
  EXPECT_TRUE(notes.contains("1 entries without a Russian term")) << notes.toStdString();
  EXPECT_TRUE(notes.contains("synonyms")) << notes.toStdString();
  EXPECT_TRUE(notes.contains("\"en\"")) << notes.toStdString();

  exchange::Plan plan;
  ASSERT_TRUE(exchange::MakePlan(to, doc, &plan, &error));
  exchange::ImportSummary s;
  ASSERT_TRUE(exchange::ApplyPlan(plan, &s, &error)) << error.toStdString();
  EXPECT_EQ(s.added, 2);
  const auto stored = StoredTerms(to);
  EXPECT_EQ(exchange::DefinitionText(stored.at(QStringLiteral("Вощина"))), QStringLiteral("Первая строка.\nВторая строка."));
}

TEST(Exchange, TbxMadeByTheTranslateToolkitImports) {
  QTemporaryDir dir;
  const QString to = Path(dir, "to");
  BuildEmpty(to);
  exchange::ImportSummary s;
  QString error;
  ASSERT_TRUE(Import(QStringLiteral(TERMORA_EXCHANGE_FIXTURES "/translate-toolkit.tbx"), to, Choice::Mine, &s, &error))
      << error.toStdString();
  EXPECT_EQ(s.added, 3);
  const auto stored = StoredTerms(to);
  EXPECT_EQ(stored.count(QStringLiteral("Прополис")), 1u);
  EXPECT_EQ(stored.count(QStringLiteral("Матка")), 1u);
}

TEST(Exchange, OurTbxReadsInTheTranslateToolkit) {
  // Debian's toolkit is a module of the system's Python, which may not be the first on the path.
  QString python;
  for (const QString& candidate : {QStringLiteral("/usr/bin/python3"), QStandardPaths::findExecutable("python3")}) {
    QProcess probe;
    probe.start(candidate, {"-c", "import translate.storage.tbx"});
    if (!candidate.isEmpty() && probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit &&
        probe.exitCode() == 0) {
      python = candidate;
      break;
    }
  }
  if (python.isEmpty()) GTEST_SKIP() << "the translate-toolkit is not installed";
  QTemporaryDir dir;
  const QString from = Path(dir, "from"), file = Path(dir, "terms.tbx");
  BuildBundled(from);
  QList<exchange::Term> terms;
  QString error;
  ASSERT_TRUE(exchange::ReadGlossaryTerms(from, {}, &terms, &error));
  ASSERT_TRUE(exchange::WriteTerms(terms, Format::Tbx, file, nullptr, &error));
  QProcess p;
  p.start(python, {"-c",
                   "import sys\nfrom translate.storage import tbx\n"
                   "s = tbx.tbxfile.parsefile(sys.argv[1])\n"
                   "for u in s.units: sys.stdout.buffer.write((u.source + '\\n').encode('utf-8'))\n",
                   file});
  ASSERT_TRUE(p.waitForFinished(60000));
  ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  const QStringList names = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
  QStringList expected;
  for (const exchange::Term& t : terms) expected << t.name;
  EXPECT_EQ(names, expected);
}

TEST(Exchange, BadFilesAreRefusedNamingTheLine) {
  struct Case {
    const char* name;
    const char* file;
    QByteArray bytes;
    QByteArray message;
  };
  const QString longName(41, QChar(0x0410));
  const Case cases[] = {
      {"not XML", "a.tbx", "just some text", "line 1: "},
      {"broken XML", "a.tbx", "<martif>\n<text>\n<body></text></martif>", "line 3: not well-formed XML"},
      {"not TBX", "a.tbx", "<?xml version=\"1.0\"?>\n<html/>", "line 2: the file is XML but not TBX"},
      {"wrong encoding", "a.tbx",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<martif><text><body>\n<termEntry><langSet xml:lang=\"ru\"><tig><term>\xcf\xf0\xee</term>",
       "line 3: the file is not UTF-8"},
      {"billion laughs", "a.tbx",
       "<?xml version=\"1.0\"?>\n<!DOCTYPE martif [\n <!ENTITY a \"aaaaaaaaaa\">\n <!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">\n"
       " <!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\n]>\n<martif><text><body><termEntry><langSet xml:lang=\"ru\">"
       "<tig><term>&c;</term></tig></langSet></termEntry></body></text></martif>",
       "declares entities"},
      {"external entity", "a.tbx",
       "<?xml version=\"1.0\"?>\n<!DOCTYPE martif [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>\n<martif><text><body>"
       "<termEntry><langSet xml:lang=\"ru\"><tig><term>Апис</term></tig><descrip type=\"definition\">&x;</descrip>"
       "</langSet></termEntry></body></text></martif>",
       "declares entities"},
      {"parameter entity", "a.tbx",
       "<?xml version=\"1.0\"?>\n<!DOCTYPE martif [<!ENTITY % p SYSTEM \"http://example.invalid/x.dtd\"> %p;]>\n<martif/>",
       "declares entities"},
      {"name too long", "a.tbx",
       "<martif><text><body>\n<termEntry><langSet xml:lang=\"ru\"><tig><term>" + longName.toUtf8() +
           "</term></tig></langSet></termEntry></body></text></martif>",
       "line 2: \"" + longName.toUtf8() + "\": the term has 41 characters; at most 40 fit"},
      {"control character", "a.csv", "term,definition\r\n\"Ап\x01ис\",x\r\n", "line 2: \"Ап\xef\xbf\xbdис\": the term holds the control character U+0001"},
      {"column count", "a.csv", "term,letter,definition\r\nАпис,А,x\r\n\"Вощина\",В\r\n", "line 3: 2 fields where the header has 3"},
      {"multi-line field counts its lines", "a.csv", "term,definition\r\nАпис,\"a\r\nb\"\r\nВощина\r\n", "line 4: 1 fields"},
      {"unclosed quote", "a.csv", "term,definition\r\nАпис,\"open\r\n", "line 2: a quoted field is not closed"},
      {"CSV not UTF-8", "a.csv", "term,definition\r\nАпис,x\r\n\xcf\xf0\xee,y\r\n", "line 3: the file is not UTF-8"},
      {"CSV without header", "a.csv", "Апис,x\r\n", "line 1: the first row must name the columns"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir dir;
    const QString to = Path(dir, "to"), file = Path(dir, c.file);
    BuildGlossary(to, SampleTerms());
    const auto before = StoredTerms(to);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(c.bytes);
    f.close();
    QString error;
    EXPECT_FALSE(Import(file, to, Choice::Theirs, nullptr, &error));
    EXPECT_TRUE(error.contains(QString::fromUtf8(c.message))) << error.toStdString();
    EXPECT_TRUE(error.startsWith(file)) << error.toStdString();
    EXPECT_EQ(StoredTerms(to), before);
  }
}

// A glossary with "Апис" and "Клещ"; a file with "Апис" changed, "Клещ" the same, a new
// "Вощина", and "Qween", for which the glossary has no letter.
struct ConflictSetup {
  QTemporaryDir dir;
  QString folder = Path(dir, "g");
  QString file = Path(dir, "in.csv");
  ConflictSetup() {
    BuildGlossary(folder, {{1, {QStringLiteral("Апис")}}, {10, {QStringLiteral("Клещ")}}});
    QFile f(file);
    f.open(QIODevice::WriteOnly);
    f.write("term,definition,rtf\r\n"
            "апис,Новое определение,\r\n"
            "Клещ,,Definition of Клещ\r\n"
            "Вощина,Лист воска,\r\n"
            "Qween,Queen bee,\r\n");
  }
  exchange::Plan MakePlan() {
    exchange::Document doc;
    exchange::Plan plan;
    QString error;
    EXPECT_TRUE(exchange::ReadExchangeFile(file, &doc, &error)) << error.toStdString();
    EXPECT_TRUE(exchange::MakePlan(folder, doc, &plan, &error)) << error.toStdString();
    return plan;
  }
};

TEST(Exchange, PlanSortsTheFileAgainstTheGlossary) {
  ConflictSetup s;
  const exchange::Plan plan = s.MakePlan();
  ASSERT_EQ(plan.items.size(), 4);
  EXPECT_EQ(plan.items[0].kind, ItemKind::Conflict);
  EXPECT_EQ(plan.items[0].mineName, QStringLiteral("Апис"));
  EXPECT_EQ(plan.items[0].bothName, QStringLiteral("апис (2)"));
  EXPECT_EQ(plan.items[1].kind, ItemKind::Identical);
  EXPECT_EQ(plan.items[2].kind, ItemKind::New);
  EXPECT_EQ(plan.items[2].letter, QStringLiteral("В"));
  EXPECT_EQ(plan.items[3].kind, ItemKind::Refused);
  EXPECT_TRUE(plan.items[3].reason.contains("no letter Q")) << plan.items[3].reason.toStdString();
}

TEST(Exchange, ReadingAndPlanningStopWhenAsked) {
  QTemporaryDir dir;
  const QString folder = Path(dir, "g");
  BuildGlossary(folder, {{1, {QStringLiteral("Апис")}}});
  exchange::Document doc;
  doc.terms.append(exchange::Term{QStringLiteral("Апис"), {}, QStringLiteral("Пчела"), {}, {}, 0});
  QString error;
  QFile f(Path(dir, "in.tbx"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  ASSERT_TRUE(exchange::WriteTbx(doc.terms, &f, &error));
  f.close();
  // Stopped: false with no message, as against a failure.
  int calls = 0;
  exchange::Document read;
  EXPECT_FALSE(exchange::ReadExchangeFile(f.fileName(), &read, &error, [&](int) { return ++calls < 0; }));
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(error.isEmpty()) << error.toStdString();
  EXPECT_TRUE(read.terms.isEmpty());
  exchange::Plan plan;
  plan.folder = QStringLiteral("untouched");
  EXPECT_FALSE(exchange::MakePlan(folder, doc, &plan, &error, [] { return false; }));
  EXPECT_TRUE(error.isEmpty()) << error.toStdString();
  EXPECT_EQ(plan.folder, QStringLiteral("untouched"));
  // Not stopped: the same as without the hooks.
  ASSERT_TRUE(exchange::ReadExchangeFile(f.fileName(), &read, &error, [](int p) { return p >= 0 && p <= 100; }));
  ASSERT_TRUE(exchange::MakePlan(folder, read, &plan, &error, [] { return true; })) << error.toStdString();
  ASSERT_EQ(plan.items.size(), 1);
  EXPECT_EQ(plan.items[0].kind, ItemKind::Conflict);
}

TEST(Exchange, EachChoiceForAConflict) {
  for (const Choice choice : {Choice::Mine, Choice::Theirs, Choice::Both}) {
    SCOPED_TRACE(int(choice));
    ConflictSetup s;
    exchange::Plan plan = s.MakePlan();
    plan.items[0].choice = choice;
    exchange::ImportSummary summary;
    QString error;
    ASSERT_TRUE(exchange::ApplyPlan(plan, &summary, &error)) << error.toStdString();
    const auto stored = StoredTerms(s.folder);
    EXPECT_EQ(summary.added, 1);
    EXPECT_EQ(summary.identical, 1);
    EXPECT_EQ(summary.refused, 1);
    EXPECT_EQ(stored.count(QStringLiteral("Вощина")), 1u);
    const QString mine = exchange::DefinitionText(stored.at(QStringLiteral("Апис")));
    switch (choice) {
      case Choice::Mine:
        EXPECT_EQ(mine, QStringLiteral("Definition of Апис"));
        EXPECT_EQ(stored.size(), 3u);
        break;
      case Choice::Theirs:
        EXPECT_EQ(mine, QStringLiteral("Новое определение"));
        EXPECT_EQ(stored.size(), 3u);
        break;
      case Choice::Both:
        EXPECT_EQ(mine, QStringLiteral("Definition of Апис"));
        EXPECT_EQ(exchange::DefinitionText(stored.at(QStringLiteral("апис (2)"))), QStringLiteral("Новое определение"));
        break;
    }
  }
}

TEST(Exchange, TheSameChoiceForAllAndSuffixedNamesStayUnique) {
  QTemporaryDir dir;
  const QString folder = Path(dir, "g"), file = Path(dir, "in.csv");
  const QString longName = QString(38, QChar(0x0430)).prepend(QChar(0x0410)) + QChar(0x044F);  // 40 characters
  BuildGlossary(folder, {{1, {QStringLiteral("Апис"), QStringLiteral("Апис (2)"), longName}}});
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(("term,definition\r\nАпис,другое\r\n" + longName + ",другое\r\n").toUtf8());
  f.close();
  exchange::ImportSummary s;
  QString error;
  ASSERT_TRUE(Import(file, folder, Choice::Both, &s, &error)) << error.toStdString();
  EXPECT_EQ(s.keptBoth, 2);
  const auto stored = StoredTerms(folder);
  EXPECT_EQ(stored.count(QStringLiteral("Апис (3)")), 1u);
  EXPECT_EQ(stored.count(longName.left(36) + QStringLiteral(" (2)")), 1u);
}

TEST(Exchange, CancelAFailureOrAChangedGlossaryStoreNothing) {
  for (const int stopAt : {0, 1, 2}) {
    SCOPED_TRACE(stopAt);
    ConflictSetup s;
    exchange::Plan plan = s.MakePlan();
    exchange::ChooseForAll(&plan, Choice::Both);
    const auto before = StoredTerms(s.folder);
    QString error;
    // Stops before the first write, after one, and after the last one (just before the commit).
    EXPECT_FALSE(exchange::ApplyPlan(plan, nullptr, &error, [&](int done, int) { return done != stopAt; }));
    EXPECT_TRUE(error.contains("Nothing was imported")) << error.toStdString();
    EXPECT_EQ(StoredTerms(s.folder), before);
  }
  // Someone stores a term between the review and the import.
  ConflictSetup s;
  exchange::Plan plan = s.MakePlan();
  {
    data::TermWriter w;
    ASSERT_TRUE(w.Begin(s.folder).Ok());
    ASSERT_TRUE(w.Add(plan.items[2].letterId, QStringLiteral("Вощина"), "{\\rtf1 x}").Ok());
    ASSERT_TRUE(w.Commit().Ok());
  }
  const auto before = StoredTerms(s.folder);
  QString error;
  EXPECT_FALSE(exchange::ApplyPlan(plan, nullptr, &error));
  EXPECT_TRUE(error.contains("changed since")) << error.toStdString();
  EXPECT_EQ(StoredTerms(s.folder), before);
}

TEST(Exchange, ExportOfOneLetterOrChosenTerms) {
  QTemporaryDir dir;
  const QString folder = Path(dir, "g");
  BuildGlossary(folder, SampleTerms());
  QList<exchange::Term> terms;
  QString error;
  exchange::Selection letter;
  letter.letter = QStringLiteral("К");
  ASSERT_TRUE(exchange::ReadGlossaryTerms(folder, letter, &terms, &error));
  QStringList names;
  for (const auto& t : terms) names << t.name;
  EXPECT_EQ(names, (QStringList{"Кандидат", "Каркас", "Клещ"}));  // alphabetical

  ASSERT_TRUE(exchange::ReadGlossaryTerms(folder, {}, &terms, &error));
  ASSERT_EQ(terms.size(), 6);
  exchange::Selection chosen;
  chosen.byKey = true;
  data::TermReader r;
  ASSERT_TRUE(r.Open(folder).Ok());
  std::vector<data::TermRow> rows;
  ASSERT_TRUE(r.ReadAfter(0, 100, &rows).Ok());
  for (const auto& row : rows)
    if (row.word.startsWith(QChar(0x042F)) || row.word == QStringLiteral("Апис")) chosen.keys.insert(row.key);
  ASSERT_TRUE(exchange::ReadGlossaryTerms(folder, chosen, &terms, &error));
  names.clear();
  for (const auto& t : terms) names << t.name;
  EXPECT_EQ(names, (QStringList{"Апис", "Ячейка"}));
}

}  // namespace
