// The glossary window's book commands: the context menu of the term grid and the letter panel,
// their shortcuts, an export of the letter shown and printing the whole glossary.
#include <gtest/gtest.h>

#include <QAction>
#include <QTemporaryDir>
#include <memory>

#include "app/BookCommands.h"
#include "app/Startup.h"
#include "app/Unit1.h"
#include "platform/Printer.h"
#include "richtext/editor/qvrichform.h"
#include "tests/common/GlossaryFixture.h"
#include "tests/common/PdfTools.h"
#include "tests/common/TestQuestions.h"

namespace {

struct BookWindow : ::testing::Test {
  void SetUp() override {
    BuildGlossary(tmp.path(), SampleTerms());
    QString error;
    form = app::CreateForm1(tmp.path(), &error);
    ASSERT_TRUE(form) << error.toStdString();
    platform::TPrinterSetup s;
    s.Printers = {platform::TPrinter::PdfPrinterName()};
    s.PdfPath = tmp.filePath("printed.pdf");
    s.PdfResolution = 300;
    platform::SetPrinterSetup(s);
  }
  void TearDown() override {
    app::TBookCommands::ExportDialogHook() = nullptr;
    platform::SetPrinterSetup(std::nullopt);
  }
  QTemporaryDir tmp;
  std::unique_ptr<app::TForm1> form;
};

TEST_F(BookWindow, GridAndLetterPanelOfferExportAndPrintWithShortcuts) {
  app::TBookCommands* b = form->BookCommands1;
  ASSERT_TRUE(b);
  EXPECT_EQ(b->ExportAction->shortcut(), QKeySequence("Ctrl+Shift+B"));
  EXPECT_EQ(b->PrintAction->shortcut(), QKeySequence("Ctrl+Shift+P"));
  EXPECT_TRUE(form->actions().contains(b->ExportAction) && form->actions().contains(b->PrintAction));
  const QRect grid = form->DBGrid1->geometry(), panel = form->LmPanel1->geometry();
  for (QWidget* w : {static_cast<QWidget*>(form->DBGrid1), static_cast<QWidget*>(form->LmPanel1)}) {
    SCOPED_TRACE(w->objectName().toStdString());
    EXPECT_EQ(w->contextMenuPolicy(), Qt::ActionsContextMenu);
    QStringList items;
    for (QAction* a : w->actions()) items << a->text();
    EXPECT_EQ(items.mid(0, 2), QStringList({"Экспорт…", "Печать словаря…"}));
  }
  // No two of the window's commands share a shortcut.
  QSet<QAction*> actions;
  QList<QWidget*> widgets = form->findChildren<QWidget*>();
  widgets << form.get();
  for (QWidget* w : widgets)
    for (QAction* a : w->actions()) actions.insert(a);
  std::map<QString, QString> byKey;
  for (QAction* a : actions) {
    const QString key = a->shortcut().toString();
    if (key.isEmpty()) continue;
    EXPECT_FALSE(byKey.count(key)) << key.toStdString() << ": " << a->text().toStdString() << " and " << byKey[key].toStdString();
    byKey[key] = a->text();
  }
  // The window's layout is as it was.
  EXPECT_EQ(form->DBGrid1->geometry(), grid);
  EXPECT_EQ(form->LmPanel1->geometry(), panel);
}

TEST_F(BookWindow, ExportsTheLetterShownAndAsksBeforeReplacingAFile) {
  if (!pdf::ToolsAvailable()) GTEST_SKIP() << "poppler-utils missing";
  form->Lm10Click(nullptr);  // К
  const QString path = tmp.filePath("К.pdf");
  QString offeredLetter;
  app::TBookCommands::ExportDialogHook() = [&](QWidget*, const QString& letter, const QString&,
                                               app::TBookCommands::Choice& c) {
    offeredLetter = letter;
    c.scope = app::TBookCommands::scLetter;
    c.format = app::TBookCommands::fmtPdf;
    c.path = path;
    return true;
  };
  TestQuestions questions;
  form->BookCommands1->ExportAction->trigger();
  EXPECT_EQ(offeredLetter, "К");
  EXPECT_TRUE(questions.asked.empty()) << questions.Texts().join('\n').toStdString();
  QString text = pdf::PageTexts(path).join('\n');
  EXPECT_TRUE(text.contains("Клещ") && text.contains("Каркас") && text.contains("Кандидат")) << text.toStdString();
  EXPECT_FALSE(text.contains("Апис"));

  // Again: asked first; No keeps the file, Yes replaces it.
  QFile::resize(path, 10);
  questions.answers = {platform::idCancel};
  form->BookCommands1->ExportAction->trigger();
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_TRUE(questions.asked[0].text.contains("уже существует"));
  EXPECT_EQ(QFileInfo(path).size(), 10);
  questions.answers = {platform::idOk};
  form->BookCommands1->ExportAction->trigger();
  EXPECT_GT(QFileInfo(path).size(), 1000);
}

TEST_F(BookWindow, PrintsTheWholeGlossaryOnTheChosenPrinter) {
  if (!pdf::ToolsAvailable()) GTEST_SKIP() << "poppler-utils missing";
  const QString path = tmp.filePath("whole.pdf");
  auto saved = richtext::EditorDialogs().Print;
  richtext::EditorDialogs().Print = [&](QWidget*, richtext::TqvPrintChoice& c) {
    c.PrinterIndex = 0;
    c.PdfFile = path;
    return true;
  };
  TestQuestions questions;
  form->BookCommands1->PrintAction->trigger();
  richtext::EditorDialogs().Print = saved;
  EXPECT_TRUE(questions.asked.empty()) << questions.Texts().join('\n').toStdString();
  const QStringList pages = pdf::PageTexts(path);
  ASSERT_GE(pages.size(), 5);  // title, contents, А, К, Я
  EXPECT_TRUE(pages[1].contains("Содержание"));
  const QString all = pages.join('\n');
  for (const char* w : {"Акация", "Апис", "Кандидат", "Каркас", "Клещ", "Ячейка"}) EXPECT_TRUE(all.contains(w)) << w;
}

}  // namespace
