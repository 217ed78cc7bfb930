#include <gtest/gtest.h>

#include <QStringList>

#include "search/Fts.h"
#include "search/Query.h"
#include "search/Words.h"

using search::ParseQuery;
using search::Tokens;

namespace {

TEST(Words, EveryFormOfARussianWordGivesOneToken) {
  struct Case {
    const char* forms;  // all of these ...
    const char* token;  // ... give this
  } cases[] = {
      {"пчела Пчёлы пчёл пчелам ПЧЕЛАМИ пчелы", "пчел"},
      {"мёд МЁДА медом мед", "мед"},
      {"роение роения Роением", "роен"},
      {"клещ клеща клещей клещи", "клещ"},
      // A stress mark or a soft hyphen inside a word does not split it.
      {"пче\xcc\x81лы пче\xc2\xadлам", "пчел"},
  };
  for (const auto& c : cases) {
    const QStringList tokens = Tokens(QString::fromUtf8(c.forms)).split(' ');
    for (const QString& t : tokens) EXPECT_EQ(t, QString::fromUtf8(c.token)) << c.forms;
  }
}

TEST(Words, LatinNamesAndNumbersStayAsWrittenInLowerCase) {
  EXPECT_EQ(Tokens(QString::fromUtf8("Apis mellifera L., 1758; 12,5 кг")), QString::fromUtf8("apis mellifera l 1758 12 5 кг"));
  // Punctuation and dashes separate words; nothing else is dropped.
  EXPECT_EQ(Tokens(QString::fromUtf8("медо-носный «улей»—рамка")), QString::fromUtf8("мед носн ул рамк"));
  EXPECT_EQ(Tokens(QString()), QString());
}

TEST(Words, TheFingerprintIsStable) {
  EXPECT_EQ(search::TokenizerFingerprint(), search::TokenizerFingerprint());
  EXPECT_TRUE(search::TokenizerFingerprint().startsWith("w1-"));
}

TEST(PackedText, ComesBackAsItWasWhateverItHolds) {
  const char* texts[] = {"", "Пчёлы, мёд и воск: 12,5 кг.\r\n\tЁЖ", "Apis mellifera L. — «пчела» № 1 ≈ 2°C",
                         "Ukrainian і ї є ґ, Greek αβγ, emoji \xF0\x9F\x90\x9D, stress пче\xcc\x81лы"};
  for (const char* t : texts) {
    const QString text = QString::fromUtf8(t);
    const QByteArray packed = search::PackText(text);
    EXPECT_EQ(QString::fromUtf8(search::UnpackText(packed.constData(), int(packed.size()))), text) << t;
  }
  // Russian text takes one byte a letter.
  EXPECT_EQ(search::PackText(QString::fromUtf8("пчеловодство")).size(), 12);
}

TEST(Query, WhatTheUserTypesBecomesQuotedPartsOnly) {
  struct Case {
    const char* typed;
    const char* expression;
    const char* groups;
  } cases[] = {
      {"пчела", "\"пчела\"", "0"},
      {"  пчела   мёд ", "\"пчела\" AND \"мёд\"", "0 1"},
      {"пчел* мёд", "(\"пчел\"* OR \"пчел\") AND \"мёд\"", "0 0 1"},
      {"\"большой улей\"", "\"большой улей\"", "0"},
      {"\"большой ул\"* рамка", "(\"большой ул\"* OR \"большой ул\") AND \"рамка\"", "0 0 1"},
      // An unfinished phrase runs to the end of the text.
      {"\"большой ул", "\"большой ул\"", "0"},
      // Query syntax typed by the user is only words.
      {"пчела OR мёд NOT улей", "\"пчела\" AND \"OR\" AND \"мёд\" AND \"NOT\" AND \"улей\"", "0 1 2 3 4"},
      {"NEAR(a b) word:x {c} ^d", "\"NEAR(a\" AND \"b)\" AND \"word:x\" AND \"{c}\" AND \"^d\"", "0 1 2 3 4"},
      {"медо-носный", "\"медо-носный\"", "0"},
      // Parts without a word are left out; nothing at all gives no query.
      {"* - \"\" ,.;", "", ""},
      {"", "", ""},
      {"a*b", "\"a b\"", "0"},
  };
  for (const auto& c : cases) {
    const search::Match m = ParseQuery(QString::fromUtf8(c.typed));
    EXPECT_EQ(m.expression, QString::fromUtf8(c.expression)) << c.typed;
    EXPECT_EQ(m.groups, QString::fromUtf8(c.groups)) << c.typed;
  }
}

}  // namespace
