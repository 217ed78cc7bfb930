// The glossary's vocabulary for the spell checker and the check of the reviewed list.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "glossary/GlossaryWords.h"
#include "spell/Speller.h"

using namespace glossary;

namespace {

Entry Make(const QString& Term, const QString& Markup) {
  Entry E;
  E.term = Term;
  E.markup = Markup;
  return E;
}

// A source folder: letter А holds the two entries, every other letter is empty.
void WriteSource(const QString& Folder, const QString& LetterA) {
  QDir().mkpath(Folder);
  for (int L = 1; L <= 27; ++L) {
    QFile F(QDir(Folder).filePath(LetterFileName(L)));
    ASSERT_TRUE(F.open(QIODevice::WriteOnly));
    if (L == 1) F.write(LetterA.toUtf8());
  }
}

void WriteFile(const QString& Path, const QByteArray& Bytes) {
  QFile F(Path);
  ASSERT_TRUE(F.open(QIODevice::WriteOnly));
  F.write(Bytes);
}

}  // namespace

TEST(GlossaryWordsTest, FormsAreTheWordsAReaderSeesOnceEach) {
  const QList<Entry> Entries = {
      Make(QStringLiteral("Апис"), QStringLiteral("**Апис** — пчёлы. Пчёлы [[Улей|ульев]] *Apis mellifera* в 2024 году, НИИ.")),
      Make(QStringLiteral("Улей"), QStringLiteral("**Улей** Дадана — жилище пчёл.")),
  };
  EXPECT_EQ(WordForms(Entries), (QStringList{"апис", "в", "году", "дадана", "жилище", "пчёл", "пчёлы", "улей", "ульев"}));
  // A name the dictionary knows with its capital stays as written.
  EXPECT_EQ(WordForms(Entries, [](const QString& W) { return W == QStringLiteral("Дадана"); }).value(0),
            QStringLiteral("Дадана"));
}

TEST(GlossaryWordsTest, TheReviewedListMustBeInStepWithTheText) {
  QString Aff, Dic;
  if (!spell::FindRussianDictionary(&Aff, &Dic)) GTEST_SKIP() << "no Russian dictionary installed";
  QTemporaryDir Dir;
  const QString Source = Dir.filePath("terms"), Reviewed = Dir.filePath("reviewed.txt"), Out = Dir.filePath("words.txt");
  WriteSource(Source, QStringLiteral("## Абрикос\n\n**Абрикос** — дерево, которое любят пчёлы; роевня и пчеллы.\n"));
  QString Text;
  QTextStream Sink(&Text);
  WriteFile(Reviewed, "роевня\n");
  EXPECT_EQ(RunWordList({Source, Reviewed, Out}, Sink, Sink), 1);
  EXPECT_TRUE(Text.contains(QStringLiteral("пчеллы"))) << Text.toStdString();
  EXPECT_FALSE(QFile::exists(Out)) << "nothing is shipped from a list out of step";

  WriteFile(Reviewed, "пчеллы\nроевня\nстарое\n");
  Text.clear();
  EXPECT_EQ(RunWordList({Source, Reviewed, Out}, Sink, Sink), 1);
  EXPECT_TRUE(Text.contains(QStringLiteral("старое"))) << Text.toStdString();

  EXPECT_EQ(RunWordList({Source, Reviewed, Out, QStringLiteral("--write-reviewed")}, Sink, Sink), 0);
  EXPECT_EQ(spell::ReadWordList(Reviewed), (QStringList{"пчеллы", "роевня"}));
  EXPECT_EQ(RunWordList({Source, Reviewed, Out}, Sink, Sink), 0);
  EXPECT_TRUE(spell::ReadWordList(Out).contains(QStringLiteral("роевня")));
  EXPECT_TRUE(spell::ReadWordList(Out).contains(QStringLiteral("Абрикос"))) << "known with its capital";
}

TEST(GlossaryWordsTest, TheBundledGlossaryIsInStepWithItsReviewedList) {
  QString Aff, Dic;
  if (!spell::FindRussianDictionary(&Aff, &Dic)) GTEST_SKIP() << "no Russian dictionary installed";
  QTemporaryDir Dir;
  QString Text;
  QTextStream Sink(&Text);
  const QString Reviewed = QStringLiteral(TERMORA_GLOSSARY_SOURCE "/../spelling-reviewed.txt");
  EXPECT_EQ(RunWordList({QStringLiteral(TERMORA_GLOSSARY_SOURCE), Reviewed, Dir.filePath("words.txt")}, Sink, Sink), 0)
      << Text.toStdString();
}
