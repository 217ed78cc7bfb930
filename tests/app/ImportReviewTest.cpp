// The import review: each conflict's two definitions side by side, the three choices and the
// same choice for all, and Cancel storing nothing; the window that reads its file in the
// background.
#include <gtest/gtest.h>

#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QCheckBox>
#include <QTemporaryDir>
#include <QTextEdit>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTableView>

#include "app/ImportReview.h"
#include "data/TermReader.h"
#include "exchange/Exchange.h"
#include "tests/common/GlossaryFixture.h"
#include "tests/common/TestQuestions.h"

namespace {

using exchange::Choice;
using exchange::ItemKind;

QStringList Stored(const QString& folder) {
  data::TermReader r;
  EXPECT_TRUE(r.Open(folder).Ok());
  std::vector<data::TermRow> rows;
  EXPECT_TRUE(r.ReadAfter(0, 1000, &rows).Ok());
  QStringList out;
  for (const auto& t : rows) out << t.word + "=" + exchange::DefinitionText(t.definition);
  out.sort();
  return out;
}

struct Review {
  QTemporaryDir dir;
  QString folder = dir.filePath("g");
  std::unique_ptr<app::TImportReview> window;
  // The glossary holds "Апис" and "Клещ"; the file changes both and adds "Вощина".
  Review() {
    BuildGlossary(folder, {{1, {QStringLiteral("Апис")}}, {10, {QStringLiteral("Клещ")}}});
    QFile f(dir.filePath("in.csv"));
    f.open(QIODevice::WriteOnly);
    f.write("term,definition\r\nВощина,Лист воска\r\nАпис,Пчела медоносная\r\nКлещ,Паразит\r\n");
    f.close();
    exchange::Document doc;
    exchange::Plan plan;
    QString error;
    EXPECT_TRUE(exchange::ReadExchangeFile(f.fileName(), &doc, &error)) << error.toStdString();
    EXPECT_TRUE(exchange::MakePlan(folder, doc, &plan, &error)) << error.toStdString();
    window = std::make_unique<app::TImportReview>(std::move(plan), f.fileName());
    window->show();
  }
};

TEST(ImportReview, ConflictsComeFirstShownSideBySide) {
  Review r;
  auto& w = *r.window;
  ASSERT_EQ(w.Plan().items.size(), 3);
  EXPECT_EQ(w.Plan().items[w.ItemOfRow(0)].kind, ItemKind::Conflict);
  EXPECT_EQ(w.Plan().items[w.ItemOfRow(1)].kind, ItemKind::Conflict);
  EXPECT_EQ(w.Plan().items[w.ItemOfRow(2)].kind, ItemKind::New);
  w.SelectRow(0);
  EXPECT_EQ(w.Mine->toPlainText(), QStringLiteral("Definition of Апис"));
  EXPECT_EQ(w.Theirs->toPlainText(), QStringLiteral("Пчела медоносная"));
  EXPECT_TRUE(w.KeepMine->isEnabled());
  EXPECT_TRUE(w.KeepMine->isChecked());  // nothing is overwritten unless chosen
  w.SelectRow(2);
  EXPECT_FALSE(w.KeepMine->isEnabled());
  EXPECT_TRUE(w.Mine->toPlainText().isEmpty());
}

TEST(ImportReview, EachChoiceAndTheSameForAll) {
  {
    Review r;
    auto& w = *r.window;
    w.SelectRow(0);
    w.TakeTheirs->click();
    w.SelectRow(1);
    w.KeepBoth->click();
    QString message;
    ASSERT_TRUE(w.Import(&message)) << message.toStdString();
    EXPECT_EQ(Stored(r.folder), (QStringList{"Апис=Пчела медоносная", "Вощина=Лист воска", "Клещ (2)=Паразит",
                                              "Клещ=Definition of Клещ"}));
  }
  {
    Review r;
    auto& w = *r.window;
    w.SelectRow(1);
    w.SameForAll->setChecked(true);
    w.TakeTheirs->click();
    for (const auto& i : w.Plan().items)
      if (i.kind == ItemKind::Conflict) {
        EXPECT_EQ(i.choice, Choice::Theirs);
      }
    QString message;
    ASSERT_TRUE(w.Import(&message)) << message.toStdString();
    EXPECT_EQ(Stored(r.folder), (QStringList{"Апис=Пчела медоносная", "Вощина=Лист воска", "Клещ=Паразит"}));
  }
}

TEST(ImportReview, CancelStoresNothing) {
  Review r;
  const QStringList before = Stored(r.folder);
  r.window->SameForAll->setChecked(true);
  r.window->TakeTheirs->click();
  r.window->CancelButton->click();
  EXPECT_EQ(r.window->result(), QDialog::Rejected);
  EXPECT_EQ(Stored(r.folder), before);
}

void WaitLoaded(app::TImportReview& w) {
  for (int i = 0; i < 2000 && w.Loading(); ++i) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  ASSERT_FALSE(w.Loading());
}

TEST(ImportReview, ReadsTheFileInTheBackground) {
  Review r;  // its glossary and in.csv
  const QString tbx = r.dir.filePath("in.tbx");
  QFile f(tbx);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<martif type=\"TBX-Basic\"><text><body>\n"
          "<termEntry><langSet xml:lang=\"ru\"><descrip type=\"definition\">Паразит пчёл</descrip>"
          "<tig><term>Клещ</term></tig></langSet></termEntry>\n"
          "<termEntry><langSet xml:lang=\"ru\"><descrip type=\"definition\">Пчелиный клей</descrip>"
          "<tig><term>Прополис</term></tig></langSet></termEntry>\n</body></text></martif>\n");
  f.close();
  for (const QString& path : {tbx, r.dir.filePath("in.csv")}) {
    app::TImportReview w(r.folder, path);
    w.show();
    EXPECT_FALSE(w.ImportButton->isEnabled());  // nothing to decide on before the file is read
    WaitLoaded(w);
    EXPECT_TRUE(w.LoadError().isEmpty()) << w.LoadError().toStdString();
    EXPECT_FALSE(w.Progress->isVisible());
    EXPECT_EQ(w.Items->model()->rowCount(), w.Plan().items.size());
    ASSERT_GE(w.Items->model()->rowCount(), 2);
    EXPECT_EQ(w.Plan().items[w.ItemOfRow(0)].kind, ItemKind::Conflict);
    EXPECT_EQ(w.Plan().items[w.ItemOfRow(0)].incoming.name, path == tbx ? "Клещ" : "Апис");
    EXPECT_FALSE(w.Theirs->toPlainText().isEmpty());  // the first conflict is shown at once
    EXPECT_TRUE(w.ImportButton->isEnabled());
  }
  // Taken through to the store.
  app::TImportReview w(r.folder, tbx);
  WaitLoaded(w);
  w.SelectRow(0);
  w.TakeTheirs->click();
  QString message;
  ASSERT_TRUE(w.Import(&message)) << message.toStdString();
  EXPECT_EQ(Stored(r.folder), (QStringList{"Апис=Definition of Апис", "Клещ=Паразит пчёл", "Прополис=Пчелиный клей"}));
}

TEST(ImportReview, AFileThatCannotBeReadIsSaidInTheWindowAndNothingStored) {
  Review r;
  const QStringList before = Stored(r.folder);
  QFile f(r.dir.filePath("bad.tbx"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("<?xml version=\"1.0\"?>\n<martif><text><body>\n<termEntry>\n</body></martif>\n");
  f.close();
  app::TImportReview w(r.folder, f.fileName());
  w.show();
  WaitLoaded(w);
  EXPECT_TRUE(w.LoadError().contains("line")) << w.LoadError().toStdString();
  EXPECT_TRUE(w.Summary->text().contains(w.LoadError()));
  EXPECT_FALSE(w.ImportButton->isEnabled());
  QString message;
  EXPECT_FALSE(w.Import(&message));
  EXPECT_EQ(w.Items->model()->rowCount(), 0);
  EXPECT_EQ(Stored(r.folder), before);
}

TEST(ImportReview, ClosingWhileReadingStopsTheReaderAndStoresNothing) {
  Review r;
  const QStringList before = Stored(r.folder);
  // Enough entries that reading is still under way when the window goes.
  QByteArray big = "<?xml version=\"1.0\"?>\n<martif><text><body>\n";
  for (int i = 0; i < 20000; ++i)
    big += "<termEntry><langSet xml:lang=\"ru\"><tig><term>Апис " + QByteArray::number(i) +
           "</term></tig></langSet></termEntry>\n";
  big += "</body></text></martif>\n";
  QFile f(r.dir.filePath("big.tbx"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(big);
  f.close();
  {
    app::TImportReview w(r.folder, f.fileName());
    w.show();
    w.CancelButton->click();
    EXPECT_EQ(w.result(), QDialog::Rejected);
  }  // the reader is stopped and joined here
  EXPECT_EQ(Stored(r.folder), before);
}

}  // namespace
