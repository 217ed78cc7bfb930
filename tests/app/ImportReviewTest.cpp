// The import review: each conflict's two definitions side by side, the three choices and the
// same choice for all, and Cancel storing nothing.
#include <gtest/gtest.h>

#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QCheckBox>
#include <QTemporaryDir>
#include <QTextEdit>

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

}  // namespace
