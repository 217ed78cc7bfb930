// termora-glossary book: what it writes, and its exit codes and messages.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/Printer.h"
#include "tests/common/GlossaryFixture.h"
#include "tests/common/PdfTools.h"
#include "tests/tools/RunCli.h"
#include "tools/termora-glossary/Cli.h"

namespace {

Ran Book(const QStringList& args) { return RunCli(QStringList{"book"} + args); }

TEST(TermoraGlossaryBook, WritesTheSelectionAndRefusesWhatItMustNot) {
  QTemporaryDir dir;
  const QString data = dir.filePath("data");
  QDir().mkpath(data);
  BuildGlossary(data, SampleTerms());
  platform::TPrinterSetup setup;
  setup.Printers = {platform::TPrinter::PdfPrinterName()};
  setup.PdfPath = dir.filePath("unused.pdf");
  platform::SetPrinterSetup(setup);

  struct Case {
    QStringList args;
    int code;
    const char* inErr;
  };
  const QString pdf = dir.filePath("k.pdf");
  const Case wrong[] = {
      {{"--data", data}, cli::kUsage, "needs --pdf FILE, --html DIR or --rtf FILE"},
      {{"--pdf", pdf, "--columns", "3", "--data", data}, cli::kUsage, "--columns takes 1 or 2"},
      {{"--pdf", pdf, "--paper", "B7", "--data", data}, cli::kUsage, "--paper takes"},
      {{"--pdf", pdf, "extra", "--data", data}, cli::kUsage, "unexpected argument 'extra'"},
      {{"--pdf", pdf, "--letter", "Ы", "--data", data}, cli::kFailed, "no letter \"Ы\""},
      {{"--pdf", pdf, "--query", "трутень", "--data", data}, cli::kFailed, "no term matches"},
      {{"--pdf", pdf, "--data", dir.filePath("nowhere")}, cli::kFailed, "not found"},
  };
  for (const Case& c : wrong) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const Ran r = Book(c.args);
    EXPECT_EQ(r.code, c.code);
    EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.inErr))) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(pdf));
  }

  Ran r = Book({"--pdf", pdf, "--rtf", dir.filePath("k.rtf"), "--html", dir.filePath("site"), "--letter", "К", "--data", data});
  EXPECT_EQ(r.code, cli::kOk) << r.err.toStdString();
  EXPECT_TRUE(r.out.contains("3 terms")) << r.out.toStdString();
  EXPECT_TRUE(QFileInfo::exists(dir.filePath("k.rtf")) && QFileInfo::exists(dir.filePath("site/index.html")));
  if (pdf::ToolsAvailable()) {
    const QString text = pdf::PageTexts(pdf).join('\n');
    EXPECT_TRUE(text.contains("Клещ") && !text.contains("Апис")) << text.toStdString();
  }

  // Once there, a file is replaced only with --force.
  const qint64 size = QFileInfo(pdf).size();
  QFile::resize(pdf, 10);
  r = Book({"--pdf", pdf, "--data", data});
  EXPECT_EQ(r.code, cli::kFailed);
  EXPECT_TRUE(r.err.contains("already exists (--force replaces it)")) << r.err.toStdString();
  EXPECT_EQ(QFileInfo(pdf).size(), 10);
  r = Book({"--pdf", pdf, "--data", data, "--force", "--columns", "2"});
  EXPECT_EQ(r.code, cli::kOk) << r.err.toStdString();
  EXPECT_GT(QFileInfo(pdf).size(), size);  // the whole glossary this time
  platform::SetPrinterSetup(std::nullopt);
}

}  // namespace
