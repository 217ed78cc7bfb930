#include "spell/Speller.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <hunspell.hxx>

namespace spell {

namespace {

constexpr char16_t kYo = 0x0451, kYoCap = 0x0401, kYe = 0x0435, kYeCap = 0x0415;

std::string Utf8(const QString& S) {
  const QByteArray B = S.toUtf8();
  return std::string(B.constData(), size_t(B.size()));
}

QString WithYeForYo(QString W) {
  W.replace(QChar(kYo), QChar(kYe));
  W.replace(QChar(kYoCap), QChar(kYeCap));
  return W;
}

QString Tr(const char* Text) { return QCoreApplication::translate("spell::TSpeller", Text); }

bool HasCyrillic(QStringView W) {
  for (QChar C : W)
    if (C.script() == QChar::Script_Cyrillic) return true;
  return false;
}

}  // namespace

bool FindRussianDictionary(QString* Aff, QString* Dic) {
  QStringList Folders;
  const QString FromEnv = qEnvironmentVariable("TERMORA_DICTIONARY_PATH");
  if (!FromEnv.isEmpty()) Folders << FromEnv.split(u':', Qt::SkipEmptyParts);
  Folders << QStringLiteral("/usr/share/hunspell") << QStringLiteral("/usr/local/share/hunspell")
          << QStringLiteral("/usr/share/myspell") << QStringLiteral("/usr/share/myspell/dicts");
  for (const QString& Folder : Folders)
    for (const QString& Name : {QStringLiteral("ru_RU"), QStringLiteral("ru")}) {
      const QString Base = QDir(Folder).filePath(Name);
      if (QFileInfo::exists(Base + QStringLiteral(".aff")) && QFileInfo::exists(Base + QStringLiteral(".dic"))) {
        *Aff = Base + QStringLiteral(".aff");
        *Dic = Base + QStringLiteral(".dic");
        return true;
      }
    }
  return false;
}

QStringList ReadWordList(const QString& Path, QString* Error) {
  QStringList Words;
  QFile F(Path);
  if (!F.open(QIODevice::ReadOnly)) {
    if (Error && F.exists()) *Error = QStringLiteral("%1: %2").arg(Path, F.errorString());
    return Words;
  }
  QString Text = QString::fromUtf8(F.readAll());
  if (Text.startsWith(QChar(0xFEFF))) Text.remove(0, 1);
  for (QStringView Line : QStringView(Text).split(u'\n')) {
    const QString Word = Line.trimmed().toString();
    if (!Word.isEmpty()) Words.append(Word);
  }
  return Words;
}

TSpeller::TSpeller(const TSpellerFiles& Files) : userList_(Files.UserList) {
  QString Aff = Files.Aff, Dic = Files.Dic;
  if (Aff.isEmpty() && !FindRussianDictionary(&Aff, &Dic)) {
    problem_ = Tr(QT_TRANSLATE_NOOP("spell::TSpeller", "No Russian dictionary is installed, so spelling is not checked."));
  } else if (!QFileInfo::exists(Aff) || !QFileInfo::exists(Dic)) {
    problem_ = Tr(QT_TRANSLATE_NOOP("spell::TSpeller", "The spelling dictionary %1 was not found, so spelling is not checked.")).arg(Dic);
  } else {
    hunspell_ = std::make_unique<Hunspell>(QFile::encodeName(Aff).constData(), QFile::encodeName(Dic).constData());
    if (QString::fromStdString(hunspell_->get_dict_encoding()).compare(u"UTF-8", Qt::CaseInsensitive) != 0) {
      problem_ = Tr(QT_TRANSLATE_NOOP("spell::TSpeller", "The spelling dictionary %1 is not in UTF-8, so spelling is not checked.")).arg(Dic);
      hunspell_.reset();
    }
  }
  if (!hunspell_) return;
  for (const QString& List : Files.WordLists) {
    QString Error;
    for (const QString& W : ReadWordList(List, &Error)) AddWord(W);
    if (!Error.isEmpty()) problem_ = Error;
  }
  if (!userList_.isEmpty()) {
    QString Error;
    userWords_ = ReadWordList(userList_, &Error);
    for (const QString& W : userWords_) AddWord(W);
    if (!Error.isEmpty()) problem_ = Error;
  }
}

TSpeller::~TSpeller() = default;

void TSpeller::AddWord(const QString& Word) {
  if (hunspell_) hunspell_->add(Utf8(Word));
}

bool TSpeller::Spell(const QString& Word) const { return hunspell_->spell(Utf8(Word)); }

bool TSpeller::IsKnown(QStringView Raw) {
  if (!hunspell_) return true;
  const QString Word = DictionaryForm(Raw);
  if (Word.isEmpty()) return true;
  const auto Hit = cache_.constFind(Word);
  if (Hit != cache_.constEnd()) return *Hit;
  bool Known = Spell(Word);
  // The dictionary may write ё where the text has е, or the other way round.
  if (!Known && (Word.contains(QChar(kYo)) || Word.contains(QChar(kYoCap)))) Known = Spell(WithYeForYo(Word));
  if (!Known) {
    QList<int> Ye;
    for (int I = 0; I < int(Word.size()); ++I)
      if (Word[I] == QChar(kYe) || Word[I] == QChar(kYeCap)) Ye.append(I);
    // Each е may be an ё; a handful of them covers any real word.
    const int Count = int(std::min<qsizetype>(Ye.size(), 4));
    for (int Mask = 1; !Known && Mask < (1 << Count); ++Mask) {
      QString Try = Word;
      for (int B = 0; B < Count; ++B)
        if (Mask & (1 << B)) Try[Ye[B]] = Try[Ye[B]] == QChar(kYe) ? QChar(kYo) : QChar(kYoCap);
      Known = Spell(Try);
    }
  }
  cache_.insert(Word, Known);
  return Known;
}

QList<TWordSpan> TSpeller::Misspelled(QStringView Text) {
  QList<TWordSpan> Out;
  if (!hunspell_) return Out;
  for (const TWordSpan& W : WordsToCheck(Text)) {
    const QStringView Word = Text.mid(W.Start, W.Length);
    if (IsKnown(Word)) continue;
    const QList<TWordSpan> Parts = WordParts(Word);
    if (Parts.size() < 2) {
      Out.append(W);
      continue;
    }
    // A compound the dictionary lacks is right when each of its parts is.
    for (const TWordSpan& P : Parts) {
      const QStringView Part = Word.mid(P.Start, P.Length);
      if (HasCyrillic(Part) && !IsKnown(Part)) Out.append({W.Start + P.Start, P.Length});
    }
  }
  return Out;
}

QStringList TSpeller::Suggest(const QString& Raw, int Max) {
  QStringList Out;
  if (!hunspell_ || Max <= 0) return Out;
  const QString Word = DictionaryForm(Raw);
  for (const std::string& S : hunspell_->suggest(Utf8(Word))) {
    const QString Q = QString::fromStdString(S);
    if (!Out.contains(Q)) Out.append(Q);
    if (Out.size() >= Max) break;
  }
  return Out;
}

bool TSpeller::AddToUserList(const QString& Raw, QString* Error) {
  const QString Word = DictionaryForm(Raw).trimmed();
  if (Word.isEmpty() || Word.contains(u'\n')) return true;
  if (!userWords_.contains(Word)) {
    userWords_.append(Word);
    AddWord(Word);
  }
  cache_.clear();
  ++generation_;
  if (userList_.isEmpty()) return true;
  QFile F(userList_);
  // A file edited by hand may lack its last line break: the new word must not join that line.
  bool NeedsBreak = false;
  if (F.open(QIODevice::ReadOnly)) {
    if (F.size() > 0 && F.seek(F.size() - 1)) NeedsBreak = F.read(1) != "\n";
    F.close();
  }
  QByteArray Line = (NeedsBreak ? QByteArray("\n") : QByteArray()) + Word.toUtf8() + '\n';
  if (!F.open(QIODevice::WriteOnly | QIODevice::Append) || F.write(Line) != Line.size() || !F.flush()) {
    if (Error) *Error = Tr(QT_TRANSLATE_NOOP("spell::TSpeller", "The word could not be saved in %1: %2")).arg(userList_, F.errorString());
    return false;
  }
  return true;
}

void TSpeller::IgnoreAll(const QString& Word) {
  // Words added to the dictionary in memory last as long as it does: this session.
  AddWord(DictionaryForm(Word));
  cache_.clear();
  ++generation_;
}

}  // namespace spell
