#pragma once
// Links between terms in the glossary window: making one from the selected words (a chooser
// that lists terms as the user types, with the search's matching), following one to its term
// through the datasets' ordinary moves, going back and forward through the terms so visited,
// what links to the current term, the words of a definition that name other terms, and telling
// before a delete how many terms link to the one going away. A link names its term by key, so a
// rename leaves it working; a link whose term is gone stays, drawn as broken and saying so when
// followed.

#include <QDialog>
#include <QHash>
#include <QObject>
#include <functional>
#include <optional>
#include <vector>

#include "data/TermReader.h"
#include "search/Mentions.h"
#include "search/SearchIndex.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace data {
class TTable;
class TField;
}  // namespace data
namespace richtext {
class TqvCustomRichEdit;
}
namespace search {
class IndexService;
}

namespace app {

// What links need of the glossary window.
struct LinkTargets {
  data::TTable* master = nullptr;     // the letters
  data::TField* masterKey = nullptr;  // IDMaster
  data::TTable* detail = nullptr;     // the terms
  data::TField* detailKey = nullptr;  // IDDetail
  richtext::TqvCustomRichEdit* definition = nullptr;
  QWidget* window = nullptr;
};

// The chooser of a link's term: a field, and the terms matching what it holds, best first.
class TLinkChooser : public QDialog {
  Q_OBJECT
 public:
  TLinkChooser(search::IndexService* service, std::function<QString(qint64)> nameOf, const QString& words,
               QWidget* parent);
  QLineEdit* Field() const { return field_; }
  QListWidget* List() const { return list_; }
  // The chosen term's key; 0 when none.
  qint64 Chosen() const;
  void Refresh();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  search::IndexService* service_;
  std::function<QString(qint64)> nameOf_;
  QLineEdit* field_;
  QListWidget* list_;
};

class TTermLinks : public QObject {
  Q_OBJECT
 public:
  TTermLinks(const QString& folder, const LinkTargets& targets, search::IndexService* service, QObject* parent);

  // Shows a dialog modally; tests put their own in place to work it.
  std::function<int(QDialog*)> RunDialog = [](QDialog* d) { return d->exec(); };

  // The hooks the definition and its engine call.
  QString ChooseLink(const QString& words);
  bool Follow(const QString& target);
  bool IsBroken(const QString& target);
  QString ToolTip(const QString& target);

  // Goes to term `key`; with `remember`, the term left is where Back returns. False when it could
  // not (a refused post, a term no longer there), the user having been told why.
  bool GoToTerm(qint64 key, bool remember = true);
  bool Back();
  bool Forward();
  bool CanGoBack() const { return !back_.empty(); }
  bool CanGoForward() const { return !forward_.empty(); }

  // The term the window shows; 0 for none.
  qint64 CurrentTerm() const;
  // The terms whose definitions link to `key`.
  std::vector<search::LinkingTerm> LinksHere(qint64 key);
  // "Ссылки сюда": a list of them, each going to its term.
  void ShowLinksHere();
  // The words of the current definition that name other terms and are no link yet, each term
  // once and none already linked from it; positions are the definition editor's.
  std::vector<search::Mention> Mentions();
  // "Find mentions of other terms": the proposals, each linked only when the user says so.
  void FindMentions();
  // Before the current term is deleted: how many terms link to it.
  void TellBeforeDelete();
  // The terms changed: what was learnt of them is read again.
  void Forget();

 private:
  std::optional<data::TermRow> Read(qint64 key);
  QString NameOf(qint64 key);

  QString folder_;
  LinkTargets targets_;
  search::IndexService* service_;
  data::TermReader reader_;
  QHash<qint64, bool> exists_;
  std::vector<qint64> back_, forward_;
  search::MentionFinder finder_;
  bool finderFilled_ = false;
};

}  // namespace app
