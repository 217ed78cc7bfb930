// The spell checker over the installed Russian dictionary: which words are underlined, what is
// suggested, the user's word list.
#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "spell/SharedSpeller.h"
#include "spell/Speller.h"

using namespace spell;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QStringList& L, std::ostream* Os) { *Os << '{' << L.join(u'|').toStdString() << '}'; }
QT_END_NAMESPACE

namespace {

QStringList Words(QStringView Text, const QList<TWordSpan>& Spans) {
  QStringList Out;
  for (const TWordSpan& S : Spans) Out << Text.mid(S.Start, S.Length).toString();
  return Out;
}

class SpellerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!FindRussianDictionary(&aff_, &dic_)) GTEST_SKIP() << "no Russian dictionary installed";
  }
  TSpellerFiles Files(const QString& UserList = QString(), const QStringList& Lists = {}) const {
    return TSpellerFiles{aff_, dic_, Lists, UserList};
  }
  QString aff_, dic_;
};

}  // namespace

TEST(SpellWordsTest, WhichWordsAreLookedUp) {
  struct Case {
    const char* Text;
    QStringList Expected;
  } Cases[] = {
      {"Пчёлы несут мёд.", {"Пчёлы", "несут", "мёд"}},
      {"Клещ Varroa destructor и Apis mellifera", {"Клещ", "и"}},
      {"В 2024 году 12мм рамка-3 и №5", {"В", "году", "и"}},
      {"НИИ пчеловодства и ООО", {"пчеловодства", "и"}},
      {"см. https://пчёлы.рф/мёд и www.пасека.рф, почта мёд@пасека.рф", {"см", "и", "почта"}},
      {"светло-жёлтый воск, из-за роя", {"светло-жёлтый", "воск", "из-за", "роя"}},
      {"«медогонка» — (роевня)…", {"медогонка", "роевня"}},
      {"ме\u0301д", {"ме\u0301д"}},
      {"- пчела -", {"пчела"}},
  };
  for (const Case& C : Cases) {
    const QString Text = QString::fromUtf8(C.Text);
    EXPECT_EQ(Words(Text, WordsToCheck(Text)), C.Expected) << C.Text;
  }
}

TEST_F(SpellerTest, UnderlinesUnknownRussianWordsOnly) {
  TSpeller S(Files());
  ASSERT_TRUE(S.HasDictionary()) << S.Problem().toStdString();
  struct Case {
    const char* Text;
    QStringList Expected;
  } Cases[] = {
      {"Пчёлы собирают нектар и пыльцу.", {}},
      {"Пчелы собирают нектар.", {}},  // е where the dictionary has ё
      {"Пчеллы сабирают нектар.", {"Пчеллы", "сабирают"}},
      {"Клещ Varroa destructor поражает пчёл Apis mellifera.", {}},
      {"В 2023 году с 15 ульев взяли 300 кг мёда.", {}},
      {"Светло-жёлтый воск и тёмно-карий мёд.", {}},
      {"Светло-жолтый воск.", {"жолтый"}},
      {"ВНИИП и НИИ пчеловодства.", {}},
      {"Адрес www.pchely.ru и https://пасека.рф/мёд.", {}},
      {"Ёлка и елка.", {}},
  };
  for (const Case& C : Cases) {
    const QString Text = QString::fromUtf8(C.Text);
    EXPECT_EQ(Words(Text, S.Misspelled(Text)), C.Expected) << C.Text;
  }
}

TEST_F(SpellerTest, SuggestsCorrectionsForCommonErrors) {
  TSpeller S(Files());
  const QStringList Got = S.Suggest(QStringLiteral("пчеллы"));
  EXPECT_TRUE(Got.contains(QStringLiteral("пчёлы")) || Got.contains(QStringLiteral("пчелы"))) << Got.join(u' ').toStdString();
  EXPECT_LE(Got.size(), 5);
  EXPECT_TRUE(S.Suggest(QStringLiteral("сабирают")).contains(QStringLiteral("собирают")));
  EXPECT_LE(S.Suggest(QStringLiteral("праполис"), 2).size(), 2);
}

TEST_F(SpellerTest, ShippedListsTeachTheGlossaryVocabulary) {
  QTemporaryDir Dir;
  const QString List = Dir.filePath(QStringLiteral("bees.txt"));
  QFile F(List);
  ASSERT_TRUE(F.open(QIODevice::WriteOnly));
  F.write("\xEF\xBB\xBFроевня\n  носематоз  \n\nварроатоз\n");
  F.close();
  const QString Text = QStringLiteral("Роевня, носематоз, варроатоз и акарапидоз.");
  TSpeller Without(Files());
  EXPECT_EQ(Words(Text, Without.Misspelled(Text)).size(), 4);
  TSpeller With(Files(QString(), {List}));
  EXPECT_EQ(Words(Text, With.Misspelled(Text)), QStringList{QStringLiteral("акарапидоз")});
}

TEST_F(SpellerTest, UserListIsReadAndWrittenAsPlainUtf8) {
  QTemporaryDir Dir;
  const QString Path = Dir.filePath(QStringLiteral("user-words.txt"));
  {
    QFile F(Path);
    ASSERT_TRUE(F.open(QIODevice::WriteOnly));
    F.write("роевня");  // edited by hand: no line break at the end
  }
  TSpeller S(Files(Path));
  EXPECT_TRUE(S.IsKnown(QStringLiteral("роевня")));
  EXPECT_FALSE(S.IsKnown(QStringLiteral("медовушник")));
  const quint64 Before = S.Generation();
  ASSERT_TRUE(S.AddToUserList(QStringLiteral("медовушник")));
  EXPECT_TRUE(S.IsKnown(QStringLiteral("медовушник")));
  EXPECT_NE(S.Generation(), Before);
  QFile F(Path);
  ASSERT_TRUE(F.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(F.readAll()), QStringLiteral("роевня\nмедовушник\n"));
  TSpeller Again(Files(Path));
  EXPECT_TRUE(Again.IsKnown(QStringLiteral("медовушник")));
  EXPECT_EQ(Again.UserWords(), (QStringList{QStringLiteral("роевня"), QStringLiteral("медовушник")}));
}

TEST_F(SpellerTest, UserListThatCannotBeWrittenIsReportedAndTheWordStillKnown) {
  QTemporaryDir Dir;
  TSpeller S(Files(Dir.filePath(QStringLiteral("no-such-folder/user-words.txt"))));
  QString Error;
  EXPECT_FALSE(S.AddToUserList(QStringLiteral("медовушник"), &Error));
  EXPECT_FALSE(Error.isEmpty());
  EXPECT_TRUE(S.IsKnown(QStringLiteral("медовушник")));
}

TEST_F(SpellerTest, IgnoreAllLastsForTheSession) {
  TSpeller S(Files());
  EXPECT_FALSE(S.IsKnown(QStringLiteral("пчеллы")));
  S.IgnoreAll(QStringLiteral("пчеллы"));
  EXPECT_TRUE(S.IsKnown(QStringLiteral("пчеллы")));
  EXPECT_TRUE(S.IsKnown(QStringLiteral("Пчеллы")));  // at the start of a sentence too
  TSpeller Fresh(Files());
  EXPECT_FALSE(Fresh.IsKnown(QStringLiteral("пчеллы")));
}

TEST(SpellerNoDictionaryTest, WithoutADictionaryNothingIsUnderlinedAndTheReasonIsKept) {
  TSpeller S(TSpellerFiles{QStringLiteral("/nonexistent/ru_RU.aff"), QStringLiteral("/nonexistent/ru_RU.dic"), {}, {}});
  EXPECT_FALSE(S.HasDictionary());
  EXPECT_FALSE(S.Problem().isEmpty());
  EXPECT_TRUE(S.Misspelled(QStringLiteral("Пчеллы сабирают")).isEmpty());
  EXPECT_TRUE(S.Suggest(QStringLiteral("пчеллы")).isEmpty());
}

TEST_F(SpellerTest, SharedSpellerLoadsInTheBackground) {
  ConfigureSharedSpeller(Files());
  QSignalSpy Loaded(SpellNotifier(), &TSpellNotifier::Changed);
  SharedSpeller();  // starts the load and returns at once
  ASSERT_TRUE(Loaded.wait(10000)) << "the views are told when the dictionary is there";
  TSpeller* S = SharedSpeller();
  ASSERT_NE(S, nullptr);
  EXPECT_TRUE(S->HasDictionary());
  EXPECT_EQ(SharedSpeller(), S);
  ResetSharedSpeller();
}
