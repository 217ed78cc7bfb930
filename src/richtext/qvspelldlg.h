#pragma once
// The spelling dialog: walks a text from the caret to its end and on from its start back to the
// caret, stopping at each word the dictionary does not know, shown in its sentence with the
// dictionary's suggestions: Change, Change All (one undo step), Ignore, Ignore All, Add to
// Dictionary, Cancel.
#include <QDialog>
#include <QList>
#include <functional>

#include "engine/RichEditTypes.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTextBrowser;

namespace engine {
class TRichEngine;
}
namespace spell {
class TSpeller;
}

namespace richtext {

// The text the dialog checks and how it changes it.
struct TqvSpellTarget {
  engine::TRichEngine* Engine = nullptr;
  // Replaces the ranges (ascending) with the text as one undo step; false when refused.
  std::function<bool(const QList<engine::CHARRANGE>& Ranges, const QString& Text)> Replace;
};

class TqvSpellDialog : public QDialog {
  Q_OBJECT
 public:
  TqvSpellDialog(TqvSpellTarget Target, spell::TSpeller& Speller, QWidget* Parent = nullptr);

  // Goes to the first unknown word from the caret; false when the text has none.
  bool Start();
  // The walk has come back to where it started.
  bool Finished() const { return finished_; }
  // The unknown word shown, its characters, its sentence, the suggestions.
  QString Word() const { return word_; }
  engine::CHARRANGE WordRange() const { return range_; }
  QString Sentence() const { return sentence_; }
  QStringList Suggestions() const { return suggestions_; }
  // What Change and Change All put in the word's place (the first suggestion at first).
  QLineEdit* ChangeTo() const { return changeTo_; }

  // The buttons; each goes on to the next unknown word, and closes the dialog after the last.
  void Change();
  void ChangeAll();
  void Ignore();
  void IgnoreAll();
  void AddToDictionary();

 private:
  // Finds the next unknown word at or after pos_; false (and Finished) when the walk is done.
  bool Next();
  void Show();
  void Advance();
  // An edit replaced Count ranges of Removed characters each by Added ones before position P.
  int Shifted(int P, const QList<engine::CHARRANGE>& Ranges, int Added) const;

  TqvSpellTarget target_;
  spell::TSpeller& speller_;
  int start_ = 0;  // where the walk began (and ends)
  int pos_ = 0;    // where the search goes on
  bool wrapped_ = false;
  bool finished_ = false;
  QString word_, sentence_;
  QStringList suggestions_;
  engine::CHARRANGE range_{0, 0};

  QLabel* notFound_ = nullptr;
  QTextBrowser* context_ = nullptr;
  QLineEdit* changeTo_ = nullptr;
  QListWidget* list_ = nullptr;
  QPushButton *change_ = nullptr, *changeAll_ = nullptr, *ignore_ = nullptr, *ignoreAll_ = nullptr,
              *add_ = nullptr, *cancel_ = nullptr;
};

// Runs the dialog modally; tests install their own driver. Returns the runner it replaces.
using TqvSpellDialogRunner = std::function<void(TqvSpellDialog& Dialog)>;
TqvSpellDialogRunner SetSpellDialogRunner(TqvSpellDialogRunner Runner);
void RunSpellDialog(TqvSpellDialog& Dialog);

}  // namespace richtext
