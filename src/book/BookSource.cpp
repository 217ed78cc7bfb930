// Reading the glossary for a book: the plan (which letters, which terms) and each letter's terms.
#include <unordered_set>

#include "book/Book.h"

#include <QCoreApplication>
#include "data/GlossaryReader.h"
#include "rtf/DefinitionText.h"
#include "search/ScratchSearch.h"

namespace book {

struct BookSource::Impl {
  data::GlossaryReader reader;
};

BookSource::BookSource() : d_(std::make_unique<Impl>()) {}
BookSource::~BookSource() = default;

bool BookSource::Open(const QString& folder, QString* error) {
  const data::StoreResult r = d_->reader.Open(folder);
  if (!r.Ok() && error) *error = r.error;
  return r.Ok();
}

namespace {

bool Failed(const data::StoreResult& r, QString* error) {
  if (r.Ok()) return false;
  if (error) *error = r.error;
  return true;
}

}  // namespace

bool BookSource::Plan(const Selection& selection, std::vector<BookLetter>* plan, QString* error) {
  plan->clear();
  std::vector<data::LetterRow> letters;
  if (Failed(d_->reader.Letters(&letters), error)) return false;
  const QString wanted = selection.letter.trimmed();
  if (!wanted.isEmpty()) {
    const auto same = [&](const data::LetterRow& l) { return l.letter.compare(wanted, Qt::CaseInsensitive) == 0; };
    if (std::none_of(letters.begin(), letters.end(), same)) {
      if (error) *error = QCoreApplication::translate("Book", "The glossary has no letter \"%1\".").arg(wanted);
      return false;
    }
    std::erase_if(letters, [&](const data::LetterRow& l) { return !same(l); });
  }

  // A search runs over an index made for this book alone: the user's index may be behind the
  // tables or missing, and a book has to hold what the tables hold now.
  std::unordered_set<qint64> found;
  const bool searching = !selection.query.trimmed().isEmpty();
  if (searching) {
    const search::Match match = search::ParseQuery(selection.query);
    if (match.IsEmpty()) return true;
    search::ScratchSearch index;
    if (!index.Open(error)) return false;
    std::vector<data::StoredTerm> terms;
    for (const data::LetterRow& l : letters) {
      if (Failed(d_->reader.Terms(l.id, true, &terms), error)) return false;
      for (const data::StoredTerm& t : terms)
        if (!index.Add(t.key, l.id, t.word, rtf::DefinitionText(t.definition), error)) return false;
    }
    if (!index.Find(match, &found, error)) return false;
  }

  std::vector<data::StoredTerm> terms;
  for (const data::LetterRow& l : letters) {
    if (Failed(d_->reader.Terms(l.id, false, &terms), error)) return false;
    BookLetter b{l.id, l.letter, {}};
    for (const data::StoredTerm& t : terms)
      if (!searching || found.count(t.key)) b.keys.push_back(t.key);
    if (!b.keys.empty()) plan->push_back(std::move(b));
  }
  return true;
}

bool BookSource::Terms(const BookLetter& letter, std::vector<BookTerm>* terms, QString* error) {
  terms->clear();
  std::vector<data::StoredTerm> stored;
  if (Failed(d_->reader.Terms(letter.id, true, &stored), error)) return false;
  // The plan's keys in its order; a term deleted since is left out, one added since is not in it.
  std::unordered_map<qint64, size_t> at;
  for (size_t i = 0; i < stored.size(); ++i) at[stored[i].key] = i;
  for (qint64 key : letter.keys)
    if (auto it = at.find(key); it != at.end()) {
      data::StoredTerm& t = stored[it->second];
      terms->push_back({t.key, std::move(t.word), std::move(t.definition)});
    }
  return true;
}

int TermCount(const std::vector<BookLetter>& plan) {
  int n = 0;
  for (const BookLetter& l : plan) n += int(l.keys.size());
  return n;
}

QString TermAnchor(qint64 key) { return QStringLiteral("t%1").arg(key); }

}  // namespace book
