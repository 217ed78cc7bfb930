// The bundled glossary as shipped, and building the two tables from a source folder.
#include <gtest/gtest.h>

#include <QDateTime>

#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextStream>

#include "glossary/GlossaryBuild.h"
#include "glossary/GlossarySource.h"
#include "rtf/RtfReader.h"
#include "rtf/TextModel.h"
#include "tests/common/GlossaryFixture.h"

using glossary::Entry;

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A source folder with a few terms under А and К and empty files for the other letters.
void WriteSmallSource(const QString& folder) {
  for (int n = 1; n <= 27; ++n) WriteFile(folder + "/" + glossary::LetterFileName(n), {});
  WriteFile(folder + "/01.txt",
            "## Апис\n**Апис** (*Apis*) \xe2\x80\x94 \xd1\x80\xd0\xbe\xd0\xb4 *\xd0\xbf\xd1\x87\xd1\x91\xd0\xbb*.\n\n"
            "## Акация\n**Акация** \xe2\x80\x94 дерево.\n- первое\n- второе\n");
  WriteFile(folder + "/10.txt", "## Квадратная улейка\n**Квадратная улейка** \xe2\x80\x94 см. [[Апис|пчёлы]].\n");
}

struct Tables {
  QList<QPair<int, QString>> letters;          // NumMaster, LetterMaster in IDMaster order
  QMap<QString, QList<QString>> termsByLetter;  // letter -> terms in IDDetail order
  QMap<QString, QByteArray> definitions;        // term -> TextDetail
};

Tables ReadTables(const QString& folder) {
  Tables t;
  QMap<int, QString> byId;
  {
    RawStore master(folder + "/tableMaster.DB");
    EXPECT_TRUE(master.IsOpen());
    QSqlQuery q(master.Db());
    EXPECT_TRUE(q.exec("SELECT IDMaster, NumMaster, LetterMaster FROM tableMaster ORDER BY IDMaster"));
    while (q.next()) {
      t.letters.append({q.value(1).toInt(), q.value(2).toString()});
      byId[q.value(0).toInt()] = q.value(2).toString();
    }
  }
  RawStore detail(folder + "/tableDetail.DB");
  EXPECT_TRUE(detail.IsOpen());
  QSqlQuery d(detail.Db());
  EXPECT_TRUE(d.exec("SELECT AssistDetail, WordDetail, TextDetail FROM tableDetail ORDER BY IDDetail"));
  while (d.next()) {
    const QString word = d.value(1).toString();
    t.termsByLetter[byId.value(d.value(0).toInt(), "?")].append(word);
    t.definitions[word] = d.value(2).toByteArray();
  }
  return t;
}

struct BuildRun {
  int status;
  QString out, err;
};

BuildRun Build(const QString& source, const QString& data) {
  BuildRun r;
  QTextStream out(&r.out), err(&r.err);
  r.status = glossary::RunBuilder(source, data, out, err);
  return r;
}

}  // namespace

TEST(BundledGlossary, EveryFileParsesAndEveryLetterWithAButtonHasTenTerms) {
  QList<Entry> entries;
  glossary::SourceError error;
  ASSERT_TRUE(glossary::ReadSourceFolder(TERMORA_GLOSSARY_SOURCE, &entries, &error))
      << error.ToString().toStdString();
  // A reference book's breadth: at least 610 terms, at least ten under every letter with a button.
  EXPECT_GE(entries.size(), 610);
  QMap<int, int> perLetter;
  for (const Entry& e : entries) {
    ++perLetter[e.letter];
    EXPECT_LE(e.term.size(), glossary::kMaxTermLength) << e.term.toStdString();
    EXPECT_FALSE(e.markup.trimmed().isEmpty()) << e.term.toStdString();
  }
  for (int n = 1; n <= 27; ++n) {
    if (n == 26) continue;  // Ю has no button
    EXPECT_GE(perLetter.value(n), 10) << "letter " << glossary::Letters()[n - 1].toStdString();
  }
}

TEST(GlossaryBuild, CreatesTheLettersInRecordOrderAndTheTermsUnderThem) {
  QTemporaryDir source, data;
  WriteSmallSource(source.path());
  const QString target = data.path() + "/nested/termora";  // made if missing
  const BuildRun r = Build(source.path(), target);
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_TRUE(r.out.contains("3 terms")) << r.out.toStdString();

  const Tables t = ReadTables(target);
  ASSERT_EQ(t.letters.size(), 27);
  for (int n = 1; n <= 27; ++n) {
    EXPECT_EQ(t.letters[n - 1].first, n);
    EXPECT_EQ(t.letters[n - 1].second, glossary::Letters()[n - 1]);
  }
  EXPECT_EQ(t.termsByLetter.value(U("А")), QList<QString>({U("Апис"), U("Акация")}));
  EXPECT_EQ(t.termsByLetter.value(U("К")), QList<QString>({U("Квадратная улейка")}));
  EXPECT_EQ(t.termsByLetter.size(), 2);
  EXPECT_EQ(t.definitions.value(U("Апис")), glossary::DefinitionBytes(U("**Апис** (*Apis*) — род *пчёл*.")));

  // A stored definition reads back through the engine with its words and formatting.
  const QByteArray stored = t.definitions.value(U("Акация"));
  ASSERT_TRUE(stored.startsWith("{\\rtf")) << stored.left(40).toStdString();
  QTextDocument doc;
  QTextCursor at(&doc);
  ASSERT_TRUE(rtf::ReadRtf(stored, at));
  QStringList texts;
  QList<int> numbering, alignment;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    if (b.text().isEmpty() && !b.next().isValid()) break;  // the closing empty paragraph
    texts << b.text();
    numbering << b.blockFormat().intProperty(rtf::kNumbering);
    alignment << rtf::Alignment(b.blockFormat());
  }
  EXPECT_EQ(texts, QStringList({U("Акация — дерево."), U("первое"), U("второе")}));
  EXPECT_EQ(numbering, QList<int>({0, 1, 1}));
  EXPECT_EQ(alignment, QList<int>({4, 1, 1}));  // text justified, list items ragged
  QTextDocument apis;
  QTextCursor at2(&apis);
  ASSERT_TRUE(rtf::ReadRtf(t.definitions.value(U("Апис")), at2));
  EXPECT_EQ(apis.begin().text(), U("Апис (Apis) — род пчёл."));
  EXPECT_TRUE(apis.begin().begin().fragment().charFormat().font().bold());
  // A cross-reference is a link to its term's key (Апис, added first, is 1), showing its text.
  const QByteArray linked = t.definitions.value(U("Квадратная улейка"));
  EXPECT_TRUE(linked.contains("{\\field{\\*\\fldinst{HYPERLINK \"termora-term:1\"}}{\\fldrslt{")) << linked.constData();
  QTextDocument ul;
  QTextCursor at3(&ul);
  ASSERT_TRUE(rtf::ReadRtf(linked, at3));
  EXPECT_EQ(ul.begin().text(), U("Квадратная улейка — см. пчёлы."));
  QTextCursor word(&ul);
  word.setPosition(ul.begin().text().indexOf(U("пчёлы")) + 1);
  EXPECT_EQ(word.charFormat().anchorHref(), QStringLiteral("termora-term:1"));
  {
    RawStore detail(target + "/tableDetail.DB");
    QSqlQuery q(detail.Db());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT IDDetail FROM tableDetail WHERE WordDetail = '%1'").arg(U("Апис"))) && q.next());
    EXPECT_EQ(q.value(0).toLongLong(), 1);
  }
  // Only the two tables are left in the folder: no scratch files.
  EXPECT_EQ(QDir(target).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList({"tableDetail.DB", "tableMaster.DB"}));
}

TEST(GlossaryBuild, NeverTouchesTablesThatAreThere) {
  QTemporaryDir source, data;
  WriteSmallSource(source.path());
  const QString master = data.path() + "/tableMaster.DB";
  const QString detail = data.path() + "/tableDetail.DB";

  // Only one table: a fault, and the partner is not created beside it.
  WriteFile(master, "the user's own master");
  BuildRun r = Build(source.path(), data.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.err.contains("tableMaster.DB")) << r.err.toStdString();
  EXPECT_FALSE(QFile::exists(detail));
  EXPECT_EQ(ReadFile(master), "the user's own master");

  // Both: nothing to do, said on the output, status 0, not even the source is read.
  WriteFile(detail, "the user's own detail");
  r = Build("/nonexistent/source", data.path());
  EXPECT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_TRUE(r.out.contains("already")) << r.out.toStdString();
  EXPECT_EQ(ReadFile(master), "the user's own master");
  EXPECT_EQ(ReadFile(detail), "the user's own detail");

  // A second build over built tables leaves them byte for byte.
  QTemporaryDir fresh;
  ASSERT_EQ(Build(source.path(), fresh.path()).status, 0);
  const QByteArray before = ReadFile(fresh.path() + "/tableDetail.DB");
  EXPECT_EQ(Build(source.path(), fresh.path()).status, 0);
  EXPECT_EQ(ReadFile(fresh.path() + "/tableDetail.DB"), before);
}

TEST(GlossaryBuild, ScratchFoldersOfKilledBuildsGoAtTheNextBuild) {
  QTemporaryDir source, data;
  WriteSmallSource(source.path());
  QDir d(data.path());
  // A child that has ended stands for a killed build: its process id is free.
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  ASSERT_GT(gone, 0);
  waitpid(gone, nullptr, 0);
  const QString dead = QStringLiteral(".termora-glossary-build-%1-aB3dE6").arg(gone);
  const QString running = QStringLiteral(".termora-glossary-build-%1-xY7zQ1").arg(getppid());  // a live process
  const QString unnamedNew = QStringLiteral(".termora-glossary-build-Zx81Qa");
  const QString unnamedOld = QStringLiteral(".termora-glossary-build-Old123");
  for (const QString& name : {dead, running, unnamedNew, unnamedOld}) {
    ASSERT_TRUE(d.mkpath(name + QStringLiteral("/inner")));
    WriteFile(data.path() + "/" + name + "/inner/tableDetail.DB", "partial");
  }
  const timeval dayAgo[2] = {{time(nullptr) - 86400, 0}, {time(nullptr) - 86400, 0}};
  ASSERT_EQ(utimes(QFile::encodeName(data.path() + "/" + unnamedOld).constData(), dayAgo), 0);
  const BuildRun r = Build(source.path(), data.path());
  EXPECT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_FALSE(d.exists(dead));
  EXPECT_FALSE(d.exists(unnamedOld));
  EXPECT_TRUE(d.exists(running));  // another build may still be at work in it
  EXPECT_TRUE(d.exists(unnamedNew));
  EXPECT_TRUE(QFileInfo::exists(data.path() + "/tableDetail.DB"));
}

TEST(GlossaryBuild, FaultsLeaveNoTableBehind) {
  QTemporaryDir source, data;
  WriteSmallSource(source.path());
  // A source fault: reported with file and line, exit 1, nothing created.
  WriteFile(source.path() + "/10.txt", "## Квадрат\n**Квадрат**.\n\n## Аист\n**Аист**.\n");
  BuildRun r = Build(source.path(), data.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.err.contains("10.txt:4:")) << r.err.toStdString();
  EXPECT_TRUE(QDir(data.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));

  // So is a cross-reference to a term that no file holds.
  WriteFile(source.path() + "/10.txt", "## Квадрат\n**Квадрат** \xe2\x80\x94 см.\n[[Аист]].\n");
  r = Build(source.path(), data.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.err.contains(U("10.txt:3: the cross-reference [[Аист]] names no term"))) << r.err.toStdString();
  EXPECT_TRUE(QDir(data.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));

  // So are a file in another encoding and a missing letter file.
  WriteFile(source.path() + "/10.txt", "## \xca\xf0\xee\xe2\xeb\xff\n\xd2\xe5\xea\xf1\xf2.\n");
  r = Build(source.path(), data.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.err.contains("10.txt: not valid UTF-8")) << r.err.toStdString();
  QFile::remove(source.path() + "/10.txt");
  r = Build(source.path(), data.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.err.contains("10.txt: cannot read")) << r.err.toStdString();
  EXPECT_TRUE(QDir(data.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));

  // The store refusing a term half-way through: the scratch tables go, nothing is moved in.
  QList<Entry> entries;
  entries.append({1, U("Апис"), "Текст.", "01.txt", 1, {}});
  entries.append({1, U("А") + QString(45, 'a'), "Текст.", "01.txt", 4, {}});
  QString message;
  EXPECT_EQ(glossary::BuildTables(entries, data.path(), &message), glossary::BuildResult::Failed);
  EXPECT_TRUE(message.contains("01.txt:4")) << message.toStdString();
  EXPECT_TRUE(QDir(data.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
  entries[1] = {28, U("Яма"), "Текст.", "28.txt", 1, {}};
  EXPECT_EQ(glossary::BuildTables(entries, data.path(), &message), glossary::BuildResult::Failed);
  EXPECT_TRUE(QDir(data.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}
