// Find and replace: the modeless dialogs and the search pass, which walks forward from the
// selection, wraps once to the beginning and ends where it began.

#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <limits>
#include <optional>

#include "base/ScopeGuard.h"
#include "engine/RichEngine.h"
#include "platform/FindReplaceDialog.h"
#include "platform/Question.h"
#include "rtf/PlainText.h"
#include "richtext/Qvintl.h"
#include "richtext/qvriched.h"

using namespace engine;

namespace richtext {

namespace {
TSearchTypes OptionsOf(const platform::TFindDialog& Dialog) {
  TSearchTypes Options = 0;
  if (Dialog.WholeWord()) Options |= stWholeWord;
  if (Dialog.MatchCase()) Options |= stMatchCase;
  return Options;
}

// No limit on where a match may start.
constexpr int kAnywhere = std::numeric_limits<int>::max();

// A first search window; each further one is four times larger, so that a match nearby costs
// little and a far one costs about one pass over the text.
constexpr int kFirstSearchWindow = 1024;
}  // namespace

// ---- the dialogs ------------------------------------------------------------------------------

platform::TFindDialog* TqvCustomRichEdit::FindDialog() {
  if (!findDialog_) {
    auto* D = new platform::TFindDialog(this);
    D->OnFind = [this, D] {
      platform::Guarded(
          [&] {
            lastFindText_ = D->FindText();
            FindDialog()->SetFindText(lastFindText_);
            FindNext();
          },
          D);
    };
    D->OnClose = [this] { FindDialogClosed(); };
    findDialog_ = D;
  }
  return findDialog_;
}

platform::TReplaceDialog* TqvCustomRichEdit::ReplaceDialog() {
  if (!replaceDialog_) {
    auto* D = new platform::TReplaceDialog(this);
    // Find Next here searches as the find dialog would, with that dialog's options.
    D->OnFind = [this, D] {
      platform::Guarded(
          [&] {
            lastFindText_ = D->FindText();
            FindDialog()->SetFindText(lastFindText_);
            FindNext();
          },
          D);
    };
    D->OnReplace = [this, D] {
      platform::Guarded(
          [&] {
            lastFindText_ = D->FindText();
            ReplaceNext();
          },
          D);
    };
    D->OnClose = [this] { FindDialogClosed(); };
    replaceDialog_ = D;
  }
  return replaceDialog_;
}

void TqvCustomRichEdit::DestroyFindDialogs() {
  for (platform::TFindDialog* D : {static_cast<platform::TFindDialog*>(findDialog_.data()),
                                   static_cast<platform::TFindDialog*>(replaceDialog_.data())}) {
    if (D == nullptr) continue;
    D->OnFind = nullptr;
    D->OnClose = nullptr;
    if (auto* R = qobject_cast<platform::TReplaceDialog*>(D)) R->OnReplace = nullptr;
    delete D;
  }
}

bool TqvCustomRichEdit::FindDialogsOpen() const {
  return (findDialog_ && findDialog_->isVisible()) || (replaceDialog_ && replaceDialog_->isVisible());
}

void TqvCustomRichEdit::ShowFindDialog() { OpenFindDialog(FindDialog()); }

void TqvCustomRichEdit::ShowReplaceDialog() { OpenFindDialog(ReplaceDialog()); }

void TqvCustomRichEdit::OpenFindDialog(platform::TFindDialog* Dialog) {
  const QString Selected = SelText();
  Dialog->SetFindText(Selected.isEmpty() || Selected.contains(QChar('\r')) ? lastFindText_ : Selected);
  findWrapped_ = false;
  findStart_ = SelStart();
  // Only the first dialog to open remembers the control's own setting; a second one (or the
  // same one shown again) would otherwise remember the False put there for the first.
  if (!FindDialogsOpen()) savedHideSelection_ = HideSelection();
  // The found text stays visibly selected while the dialog has the focus.
  SetHideSelection(false);
  Dialog->Execute();
}

void TqvCustomRichEdit::FindDialogClosed() {
  // The setting comes back when the last open dialog closes.
  if (!FindDialogsOpen()) SetHideSelection(savedHideSelection_);
}

void TqvCustomRichEdit::FindNext() { SearchStep(FindDialog(), false, QString()); }

void TqvCustomRichEdit::ReplaceNext() {
  platform::TReplaceDialog* D = ReplaceDialog();
  SearchStep(D, true, D->ReplaceText());
}

// ---- searching --------------------------------------------------------------------------------

int TqvCustomRichEdit::SearchFrom(const QString& What, int From, int Last, TSearchTypes Options) {
  if (What.isEmpty() || !HandleAllocated()) return -1;
  const int Size = int(What.size());
  const int Length = Engine()->TextLength();
  From = std::max(From, 0);
  if (Last < From) return -1;
  // The range ends where a match starting at Last would end.
  const int End = int(std::min<qint64>(Length, qint64(Last) + Size));
  // Growing windows instead of one search to the end: each search hands the engine only
  // the text it looks at, so a Replace All with many matches stays linear in the text.
  qint64 Window = std::max(kFirstSearchWindow, 4 * Size);
  while (From <= End - Size) {
    const int Stop = int(std::min<qint64>(End, From + Window));
    const int Pos = FindText(What, From, Stop - From, Options);
    if (Pos >= 0) return Pos;
    if (Stop >= End) break;
    // Windows overlap by one character less than the text, so no match falls between them.
    From = Stop - Size + 1;
    Window *= 4;
  }
  return -1;
}

TqvCustomRichEdit::TqvReplaceResult TqvCustomRichEdit::ReplaceRange(int From, int To, const QString& Replacement,
                                                                     bool InPlace) {
  if (GetReadOnly()) {
    platform::Beep();
    return rrRefused;
  }
  // The text limit refuses as typing does; nothing is replaced in part.
  if (qint64(Engine()->TextLength()) - (To - From) + Replacement.size() > qint64(Engine()->TextLimit())) {
    platform::Beep();
    return rrRefused;
  }
  if (!platform::Guarded([this] { BeginEdit(); }, this)) return rrRefused;
  // A bound record that could not be put into edit mode leaves the engine read-only.
  if (Engine()->IsReadOnly()) {
    platform::Beep();
    return rrRefused;
  }
  TRichDocument& Document = Engine()->RichDocument();
  // Straight into the document, so the view does not follow every one of many replacements;
  // protected text and embedded objects go through the engine, which asks and reports.
  if (InPlace && !Document.RangeHasProtected(From, To) &&
      !Engine()->GetTextRange(From, To).contains(QChar::ObjectReplacementCharacter)) {
    QTextCursor Range = Document.CursorFor(From, To);
    rtf::InsertPlainText(Replacement, Range);
    return rrDone;
  }
  CHARRANGE Match{From, To};
  Perform(EM_EXSETSEL, 0, LPARAM(&Match));
  SetSelText(Replacement);
  // Protected text keeps its selection: the engine refused this one.
  return To > From && SelLength() == To - From ? rrProtected : rrDone;
}

void TqvCustomRichEdit::SearchStep(platform::TFindDialog* Dialog, bool Replace, const QString& Replacement) {
  if (Dialog == nullptr || !HandleAllocated()) return;
  const QString What = Dialog->FindText();
  const int Size = int(What.size());
  const TSearchTypes Options = OptionsOf(*Dialog);
  const bool All = Replace && Dialog == replaceDialog_ && Dialog->LastAction() == platform::TFindAction::ReplaceAll;

  // Replace All keeps the selection here and shows it once, at the end.
  CHARRANGE Sel = Engine()->GetSel();
  const auto Select = [&](CHARRANGE Range) {
    Sel = Range;
    if (!All) Perform(EM_EXSETSEL, 0, LPARAM(&Sel));
  };
  enum { Found, Ended, Stopped } Outcome = Found;
  {
    std::optional<base::WaitCursor> Wait;
    // Replace All is one edit for undo, however many matches it replaces.
    QTextCursor Group(Engine()->document());
    if (All) {
      Wait.emplace();
      Group.beginEditBlock();
    }
    base::ScopeGuard EndGroup([&] {
      if (All) Group.endEditBlock();
    });
    do {
      bool Replaced = false;
      if (Replace) {
        const int Start = Sel.cpMin;
        if (Sel.cpMax - Sel.cpMin == Size && SearchFrom(What, Start, Start, Options) == Start) {
          const TqvReplaceResult R = ReplaceRange(Start, Start + Size, Replacement, All);
          if (R == rrRefused) {
            Outcome = Stopped;
            break;
          }
          if (R == rrDone) {
            if (findWrapped_) findStart_ += int(Replacement.size()) - Size;
            const int Caret = Start + int(Replacement.size());
            Select({Caret, Caret});
            Replaced = true;
          }
        }
      }
      // Once wrapped, the pass accepts matches up to where it began.
      const int Last = findWrapped_ ? findStart_ : kAnywhere;
      int Pos = SearchFrom(What, Replaced ? Sel.cpMin : Sel.cpMin + 1, Last, Options);
      if (!findWrapped_ && Pos < 0) {
        Pos = SearchFrom(What, 0, findStart_, Options);
        findWrapped_ = true;
      }
      if (Pos < 0) {
        findStart_ = Sel.cpMin;
        findWrapped_ = false;
        Outcome = Ended;
        break;
      }
      Select({Pos, Pos + Size});
    } while (All);
  }
  if (All) Perform(EM_EXSETSEL, 0, LPARAM(&Sel));
  // Shown after the edit is complete, so the message's own loop sees a finished text.
  if (Outcome == Ended) {
    platform::Question Q;
    Q.caption = platform::ApplicationTitle();
    Q.text = GlobalIntl->UserMessages()->LocateNoMoreMatches();
    Q.icon = platform::Icon::Information;
    Q.buttons = platform::Buttons::Ok;
    platform::Ask(Q, Dialog->isVisible() ? static_cast<QWidget*>(Dialog) : this);
  }
}

bool TqvCustomRichEdit::ReplaceOne(const QString& SearchText, const QString& ReplaceText, TSearchTypes Options) {
  // From the caret, or from the start of the selection, so that a selected match is replaced.
  const int Pos = SearchFrom(SearchText, SelStart(), kAnywhere, Options);
  if (Pos < 0) return false;
  if (ReplaceRange(Pos, Pos + int(SearchText.size()), ReplaceText, false) != rrDone) return false;
  SetSelStart(Pos + int(ReplaceText.size()));
  return true;
}

}  // namespace richtext
