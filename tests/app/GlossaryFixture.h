#pragma once
// A small glossary in a temporary folder: the 27 letters and a few terms.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <map>
#include <vector>

#include "data/GlossaryStore.h"

inline const char16_t* const kLetterCaptions[27] = {u"А", u"Б", u"В", u"Г", u"Д", u"Е", u"Ж", u"З", u"И",
                                                    u"К", u"Л", u"М", u"Н", u"О", u"П", u"Р", u"С", u"Т",
                                                    u"У", u"Ф", u"Х", u"Ц", u"Ч", u"Ш", u"Э", u"Ю", u"Я"};

// Builds the tables in `folder`; `terms` maps a record number (1..27) to its terms.
inline void BuildGlossary(const QString& folder, const std::map<int, std::vector<QString>>& terms) {
  QString error;
  ASSERT_TRUE(data::CreateGlossaryTables(folder, &error)) << error.toStdString();
  data::GlossaryWriter w(folder);
  ASSERT_TRUE(w.Begin(&error)) << error.toStdString();
  for (int n = 1; n <= 27; ++n) {
    const int id = w.AddLetter(QString::fromUtf16(kLetterCaptions[n - 1]), n);
    ASSERT_GT(id, 0) << w.ErrorText().toStdString();
    auto it = terms.find(n);
    if (it == terms.end()) continue;
    for (const QString& t : it->second)
      ASSERT_TRUE(w.AddTerm(id, t, ("Definition of " + t).toUtf8())) << w.ErrorText().toStdString();
  }
  ASSERT_TRUE(w.Commit(&error)) << error.toStdString();
}

// The usual fixture: letters А, К and Я have terms; the others have none.
inline std::map<int, std::vector<QString>> SampleTerms() {
  return {{1, {QStringLiteral("Апис"), QStringLiteral("Акация")}},
          {10, {QStringLiteral("Клещ"), QStringLiteral("Кандидат"), QStringLiteral("Каркас")}},
          {27, {QStringLiteral("Ячейка")}}};
}
