#pragma once
// Search in the whole glossary: a field at the right end of the status bar (Ctrl+Shift+F), and
// below it, while there is something to show, a list of the terms found, each with its letter
// and a line of its definition with the matched words in bold. Going to a term moves the letters
// and the terms through the datasets' ordinary moves, so a pending edit ends by the usual rules.

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QFrame>
#include <QHash>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <memory>

#include "data/StoreStamp.h"
#include "search/IndexService.h"

class QLabel;
class QListView;
class QShortcut;

namespace data {
class TTable;
class TField;
}  // namespace data

namespace app {

// What one result line of `width` pixels in `font` shows of `text`, whose matched words are
// marked (search::kMarkOn ... kMarkOff): an ellipsis where it is cut, at the end and, when the
// first match would lie beyond the end, at the start.
QString FitMarkedLine(const QString& text, const QFont& font, int width);

// What the search needs of the glossary window.
struct SearchTargets {
  data::TTable* master = nullptr;     // the letters
  data::TField* masterKey = nullptr;  // IDMaster
  data::TField* masterLetter = nullptr;
  data::TTable* detail = nullptr;     // the terms
  data::TField* detailKey = nullptr;  // IDDetail
  QWidget* landing = nullptr;         // takes the focus once a term is reached (the term grid)
};

// The terms found, best first. A row's name, letter and line of definition are read from the
// index when the list first shows the row.
class TSearchResultModel : public QAbstractListModel {
  Q_OBJECT
 public:
  enum Role { WordRole = Qt::UserRole + 1, LetterRole, SnippetRole, TermIdRole, LetterIdRole, CurrentRole };

  TSearchResultModel(search::IndexService* service, std::function<QString(qint64)> letterOf, QObject* parent);
  void SetResult(const search::FindResult& result);
  void Clear();
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  qint64 TermId(int row) const;
  // The letter's IDMaster of a row; 0 when the index no longer has the term.
  qint64 LetterId(int row) const;
  // The row Enter goes to (the first after each query); -1 when there is none. Kept here rather
  // than in the list's selection, which would lay the whole list out at every query.
  int Current() const { return current_; }
  void SetCurrent(int row);

 private:
  const search::HitDetails* Details(int row) const;

  search::IndexService* service_;
  std::function<QString(qint64)> letterOf_;
  search::FindResult result_;
  mutable QHash<qint64, search::HitDetails> details_;
  int current_ = -1;
};

// The drop-down under (above) the search field: a line saying what was found, the list, and a
// line with the keys.
class TSearchResults : public QFrame {
  Q_OBJECT
 public:
  explicit TSearchResults(QWidget* window);
  QListView* List() const { return list_; }
  QLabel* Summary() const { return summary_; }
  // Places it with its bottom right corner at `anchor` (window coordinates), sized for `rows`.
  void Place(const QPoint& anchor, int rows);

 private:
  QLabel* summary_;
  QListView* list_;
  QLabel* keys_;
};

class TSearchBox : public QLineEdit {
  Q_OBJECT
 public:
  // `folder` holds the tables and the index; `window` is the glossary window, over which the
  // results are shown and on which Ctrl+Shift+F works. The index reads the tables through what
  // `makeSource` makes (by default, the glossary's tables in `folder`).
  TSearchBox(const QString& folder, const SearchTargets& targets, QWidget* window,
             search::IndexService::SourceFactory makeSource = nullptr);
  ~TSearchBox() override;

  search::IndexService* Service() const { return service_.get(); }
  TSearchResults* Results() const { return results_; }
  TSearchResultModel* Model() const { return model_; }
  QShortcut* Shortcut() const { return shortcut_; }

  // Ctrl+Shift+F: the field takes the focus with its text selected.
  void Activate();
  // Runs the query for the field's text now (typing runs it after a short pause).
  void RunQuery();
  // Goes to the term of result row `row`; false when it could not (a refused post, a term that
  // is no longer there), the user having been told why.
  bool GoToResult(int row);
  // Hides the results and gives the focus back to where it was before the search.
  void Dismiss();
  // The store committed a write of a term: the index follows it.
  void TermWritten(const data::TStoreCommit& commit);

  // The pause after a keystroke before the query runs.
  static constexpr int kTypingPauseMs = 180;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void StatusChanged();
  void ShowResults();
  void HideResults();
  QPoint ResultsAnchor() const;
  void MoveSelection(int by);
  QString LetterOf(qint64 letterId) const;

  SearchTargets targets_;
  QWidget* window_;
  std::unique_ptr<search::IndexService> service_;
  TSearchResultModel* model_;
  TSearchResults* results_;
  QShortcut* shortcut_;
  QTimer typing_;
  QPointer<QWidget> returnFocus_;
  QString shownFor_;           // the text whose results are shown
  search::IndexState shownState_ = search::IndexState::NotStarted;
  bool shownBehind_ = false;  // the results shown were found while the index missed writes
  QElapsedTimer building_;     // since the index began to be made or caught up
};

}  // namespace app
