// termora-glossary export and import: what a script sees (files, exit codes, messages).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "data/TermReader.h"
#include "tests/common/GlossaryFixture.h"
#include "tests/tools/RunCli.h"
#include "tools/termora-glossary/Cli.h"

namespace {

QStringList Words(const QString& folder) {
  data::TermReader r;
  EXPECT_TRUE(r.Open(folder).Ok());
  std::vector<data::TermRow> rows;
  EXPECT_TRUE(r.ReadAfter(0, 1000, &rows).Ok());
  QStringList words;
  for (const auto& t : rows) words << t.word + "=" + QString::fromUtf8(t.definition);
  words.sort();
  return words;
}

TEST(TermoraGlossaryExchange, ExportThenImportSettlingConflictsAsTold) {
  QTemporaryDir dir;
  const QString from = dir.filePath("from"), to = dir.filePath("to"), tbx = dir.filePath("k.tbx");
  BuildGlossary(from, SampleTerms());
  BuildGlossary(to, {{10, {QStringLiteral("Клещ")}}});

  Ran r = RunCli({"export", "--tbx", tbx, "--letter", "к", "--data", from});
  ASSERT_EQ(r.code, cli::kOk) << r.err.toStdString();
  EXPECT_TRUE(r.out.contains("Exported 3 terms")) << r.out.toStdString();
  // Never over an existing file unless told.
  r = RunCli({"export", "--tbx", tbx, "--data", from});
  EXPECT_EQ(r.code, cli::kFailed);
  EXPECT_TRUE(r.err.contains("exists (--force replaces it)")) << r.err.toStdString();

  // "Клещ" is there already, the same: two new terms, nothing to settle.
  r = RunCli({"import", tbx, "--data", to});
  ASSERT_EQ(r.code, cli::kOk) << r.err.toStdString();
  EXPECT_TRUE(r.out.contains("2 new terms added")) << r.out.toStdString();
  EXPECT_TRUE(r.out.contains("1 identical terms skipped")) << r.out.toStdString();

  // Changed in the file: refused until the user says how.
  QFile csv(dir.filePath("k.csv"));
  ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
  csv.write("term,definition\r\nКлещ,Другое определение\r\nКокон,Новый\r\n");
  csv.close();
  const QStringList before = Words(to);
  r = RunCli({"import", csv.fileName(), "--data", to});
  EXPECT_EQ(r.code, cli::kFailed);
  EXPECT_TRUE(r.err.contains("conflict: Клещ")) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("Nothing was imported")) << r.err.toStdString();
  EXPECT_EQ(Words(to), before);
  r = RunCli({"import", csv.fileName(), "--both", "--dry-run", "--data", to});
  EXPECT_EQ(r.code, cli::kOk);
  EXPECT_EQ(Words(to), before);
  r = RunCli({"import", csv.fileName(), "--both", "--data", to});
  ASSERT_EQ(r.code, cli::kOk) << r.err.toStdString();
  EXPECT_TRUE(r.out.contains("1 imported under a new name")) << r.out.toStdString();
  EXPECT_EQ(Words(to).size(), before.size() + 2);
}

TEST(TermoraGlossaryExchange, ArgumentsAndBadFiles) {
  QTemporaryDir dir;
  const QString g = dir.filePath("g");
  BuildGlossary(g, SampleTerms());
  QFile bad(dir.filePath("bad.tbx"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("<martif>\n<text>\n</martif>");
  bad.close();
  struct Case {
    QStringList args;
    int code;
    const char* inErr;
  };
  const Case cases[] = {
      {{"export", "--data", g}, cli::kUsage, "needs one of --tbx FILE, --csv FILE, --markup DIR"},
      {{"export", "--tbx", "a", "--csv", "b", "--data", g}, cli::kUsage, "needs one of"},
      {{"import", "--data", g}, cli::kUsage, "needs one file"},
      {{"import", "x.tbx", "--mine", "--theirs", "--data", g}, cli::kUsage, "exclude each other"},
      {{"import", bad.fileName(), "--data", g}, cli::kFailed, "bad.tbx: line 3: not well-formed XML"},
      {{"export", "--csv", dir.filePath("q.csv"), "--query", "nothingmatchesthis", "--data", g}, cli::kFailed,
       "no term to export"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const Ran r = RunCli(c.args);
    EXPECT_EQ(r.code, c.code);
    EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.inErr))) << r.err.toStdString();
  }
  // A search picks the terms.
  const Ran r = RunCli({"export", "--csv", dir.filePath("q.csv"), "--query", "Клещ", "--data", g});
  ASSERT_EQ(r.code, cli::kOk) << r.err.toStdString();
  EXPECT_TRUE(r.out.contains("Exported 1 terms")) << r.out.toStdString();
}

}  // namespace
