#pragma once
// The spell checker: the Russian dictionary, the word lists shipped with the program, the
// user's own list (a UTF-8 file, one word a line) and the words ignored for this session.
// Not thread-safe: one thread uses an instance (it may be made on another).
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <memory>

#include "spell/SpellWords.h"

class Hunspell;

namespace spell {

struct TSpellerFiles {
  // The dictionary's two files; empty: the Russian dictionary in the usual folders.
  QString Aff, Dic;
  // Lists of extra words, one a line (the glossary's own vocabulary).
  QStringList WordLists;
  // The user's list; read at start, added to by AddToUserList. Empty: none.
  QString UserList;
};

// Where the Russian dictionary is installed ("…/ru_RU.aff" and ".dic"); false when it is not.
bool FindRussianDictionary(QString* Aff, QString* Dic);

// Reads a word list: one word a line, blank lines and surrounding spaces ignored.
QStringList ReadWordList(const QString& Path, QString* Error = nullptr);

class TSpeller {
 public:
  explicit TSpeller(const TSpellerFiles& Files);
  ~TSpeller();
  TSpeller(const TSpeller&) = delete;
  TSpeller& operator=(const TSpeller&) = delete;

  // False when no dictionary could be loaded; every word is then accepted.
  bool HasDictionary() const { return hunspell_ != nullptr; }
  // Why there is no dictionary, or a word list could not be read.
  const QString& Problem() const { return problem_; }

  // Whether the dictionary, a word list or the ignored words know Word. Ё and Е count as one
  // letter where the dictionary writes either.
  bool IsKnown(QStringView Word);
  // The unknown words of Text; of a hyphenated word only its unknown parts.
  QList<TWordSpan> Misspelled(QStringView Text);
  // Up to Max replacements for Word, best first.
  QStringList Suggest(const QString& Word, int Max = 5);

  // Adds Word to the user's list and its file. False with *Error when the file could not be
  // written; the word is known for this session all the same.
  bool AddToUserList(const QString& Word, QString* Error = nullptr);
  // Accepts Word for this session only.
  void IgnoreAll(const QString& Word);
  const QStringList& UserWords() const { return userWords_; }
  const QString& UserListPath() const { return userList_; }

  // Changes whenever a word becomes known, so that views check again.
  quint64 Generation() const { return generation_; }

 private:
  bool Spell(const QString& Word) const;
  void AddWord(const QString& Word);

  std::unique_ptr<Hunspell> hunspell_;
  QString problem_;
  QString userList_;
  QStringList userWords_;
  QHash<QString, bool> cache_;
  quint64 generation_ = 1;
};

}  // namespace spell
