// termora-glossary's front: subcommand dispatch, options, help and exit codes.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/tools/RunCli.h"
#include "tools/termora-glossary/Cli.h"

namespace {

TEST(TermoraGlossaryCli, HelpVersionAndBadArguments) {
  struct Case {
    QStringList args;
    int code;
    const char* inOut;  // expected in stdout, or nullptr
    const char* inErr;  // expected in stderr, or nullptr
  };
  const Case cases[] = {
      {{"--help"}, cli::kOk, "usage: termora-glossary COMMAND", nullptr},
      {{"--version"}, cli::kOk, "termora-glossary ", nullptr},
      {{}, cli::kUsage, nullptr, "usage:"},
      {{"frobnicate"}, cli::kUsage, nullptr, "unknown command 'frobnicate'"},
      {{"build", "--help"}, cli::kOk, "usage: termora-glossary build", nullptr},
      {{"build"}, cli::kUsage, nullptr, "termora-glossary build: needs one source folder"},
      {{"build", "src", "--data"}, cli::kUsage, nullptr, "--data needs a value"},
      {{"build", "src", "--colour", "x"}, cli::kUsage, nullptr, "unknown option --colour"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const Ran r = RunCli(c.args);
    EXPECT_EQ(r.code, c.code);
    if (c.inOut) {
      EXPECT_TRUE(r.out.contains(QString::fromUtf8(c.inOut))) << r.out.toStdString();
    }
    if (c.inErr) {
      EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.inErr))) << r.err.toStdString();
    }
    // Every command the program knows is listed in its help.
    if (c.args == QStringList{"--help"}) {
      for (const cli::Command& cmd : cli::Commands()) {
        EXPECT_TRUE(r.out.contains("  " + cmd.name));
      }
    }
  }
}

TEST(TermoraGlossaryCli, OptionsTakeBothFormsAndKeepPositionals) {
  cli::Options o({"a", "--letter=К", "--data", "/x", "--force", "--", "--b"}, {"letter", "data"}, {"force"});
  ASSERT_TRUE(o.ok()) << o.error().toStdString();
  EXPECT_EQ(o.value("letter"), QString::fromUtf8("К"));
  EXPECT_EQ(o.value("data"), "/x");
  EXPECT_TRUE(o.has("force"));
  EXPECT_FALSE(o.has("query"));
  EXPECT_EQ(o.positional(), (QStringList{"a", "--b"}));
  EXPECT_FALSE(cli::Options({"--force=1"}, {}, {"force"}).ok());
}

TEST(TermoraGlossaryCli, BuildCreatesTheTablesInTheDataFolder) {
  QTemporaryDir src, data;
  ASSERT_TRUE(src.isValid() && data.isValid());
  // The builder wants all 27 letter files; one term under А is enough.
  for (int i = 1; i <= 27; ++i) {
    QFile f(src.filePath(QString::asprintf("%02d.txt", i)));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    if (i == 1) f.write(QString::fromUtf8("## Апис\n\n**Апис** — род медоносных пчёл.\n").toUtf8());
  }
  const Ran r = RunCli({"build", src.path(), "--data", data.path()});
  EXPECT_EQ(r.code, cli::kOk) << r.err.toStdString();
  EXPECT_TRUE(QFile::exists(data.filePath("tableMaster.DB")));
  EXPECT_TRUE(QFile::exists(data.filePath("tableDetail.DB")));
}

TEST(TermoraGlossaryCli, MentionsListsTermsNamedWithoutALinkEachOnce) {
  QTemporaryDir src;
  ASSERT_TRUE(src.isValid());
  const char* const letters[27] = {
      "## Апис\n\n**Апис** — род пчёл; их мёд откачивают медогонкой, а медогонку моют.\n",
      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
      "## Медогонка\n\n**Медогонка** (*centrifuga*) — машина, которой [[Апис|пчелиный мёд]] откачивают из рамок; "
      "мёда в ней не остаётся.\n\n"
      "## Мёд\n\n**Мёд** — продукт пчёл, см. [[Медогонка|медогонку]].\n",
  };
  for (int i = 1; i <= 27; ++i) {
    QFile f(src.filePath(QString::asprintf("%02d.txt", i)));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    if (letters[i - 1]) f.write(QString::fromUtf8(letters[i - 1]).toUtf8());
  }
  const Ran r = RunCli({"mentions", src.path()});
  EXPECT_EQ(r.code, cli::kOk) << r.err.toStdString();
  const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
  // Апис names Мёд and Медогонка (the latter once); Медогонка names Мёд, first within a link to
  // another term (not proposed there), then plainly; Мёд already links.
  EXPECT_EQ(lines, (QStringList{QString::fromUtf8("01.txt:1: Апис: «мёд» → Мёд"),
                                QString::fromUtf8("01.txt:1: Апис: «медогонкой» → Медогонка"),
                                QString::fromUtf8("12.txt:1: Медогонка: «мёда» → Мёд"),
                                QString::fromUtf8("3 mentions without a link in 2 of 3 definitions.")}))
      << r.out.toStdString();
}

}  // namespace
