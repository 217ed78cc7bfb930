// Spelling in the control: the underline while editing, the popup's suggestions, the spelling
// dialog of the spelling-capable class, and the class-name rule that offers spelling.

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>

#include "engine/RichEngine.h"
#include "platform/Question.h"
#include "richtext/Qvintl.h"
#include "richtext/qvriched.h"
#include "richtext/qvspelldlg.h"
#include "richtext/qvspellmarks.h"
#include "spell/SharedSpeller.h"

using namespace engine;

namespace richtext {

void TqvCustomRichEdit::SetCheckSpelling(bool Value) {
  if (checkSpelling_ == Value) return;
  checkSpelling_ = Value;
  if (Value && !spellMarks_) {
    spellMarks_ = std::make_unique<TqvSpellMarks>([this] { return HandleAllocated() ? Engine() : nullptr; });
    // The dictionary loads in the background and learns words: the text is checked again then.
    connect(spell::SpellNotifier(), &spell::TSpellNotifier::Changed, this, [this] {
      if (HandleAllocated()) Engine()->viewport()->update();
    });
  }
  if (HandleAllocated()) Engine()->viewport()->update();
}

bool TqvCustomRichEdit::SpellingActive() const {
  if (!checkSpelling_ || !spellMarks_ || GetReadOnly()) return false;
  const spell::TSpeller* S = spell::SharedSpeller();
  return S && S->HasDictionary();
}

bool TqvCustomRichEdit::OffersSpelling() const {
  return ClassIs("TqvDBRichEditMSWord") || ClassIs(TqvDBRichEditSpell::kClassName);
}

bool TqvCustomRichEdit::EngineContextMenu(TRichEngine* E, QContextMenuEvent* Ev) {
  // The word under the mouse; from the keyboard, the one at the caret.
  popupTextPos_ = Ev->reason() == QContextMenuEvent::Mouse ? E->cursorForPosition(Ev->pos()).position() : -1;
  return engine::TCustomRichEdit::EngineContextMenu(E, Ev);
}

bool TqvCustomRichEdit::ReplaceWords(const QList<CHARRANGE>& Ranges, const QString& Text) {
  if (Ranges.isEmpty()) return false;
  if (GetReadOnly()) {
    platform::Beep();
    return false;
  }
  qint64 Length = Engine()->TextLength();
  for (const CHARRANGE& R : Ranges) Length += Text.size() - (R.cpMax - R.cpMin);
  if (Length > qint64(Engine()->TextLimit())) {
    platform::Beep();
    return false;
  }
  if (!platform::Guarded([this] { BeginEdit(); }, this) || Engine()->IsReadOnly()) {
    platform::Beep();
    return false;
  }
  return Engine()->ReplaceRanges(Ranges, Text);
}

void TqvCustomRichEdit::AddSpellingItems(QMenu* Menu, int Pos) {
  qDeleteAll(spellItems_);
  spellItems_.clear();
  if (Menu == nullptr || !SpellingActive()) return;
  spell::TSpeller* Speller = spell::SharedSpeller();
  if (Pos < 0) Pos = Engine()->GetSel().cpMin;
  spell::TWordSpan Word;
  if (!spellMarks_->WordAt(Pos, *Speller, &Word)) return;
  const QString Text = Engine()->GetTextRange(Word.Start, Word.End());
  const CHARRANGE Range{Word.Start, Word.End()};
  QAction* First = Menu->actions().value(0);
  auto Add = [&](QAction* A) {
    Menu->insertAction(First, A);
    spellItems_.append(A);
  };
  for (const QString& S : Speller->Suggest(Text, 5)) {
    auto* A = new QAction(S, Menu);
    QFont Bold = A->font();
    Bold.setBold(true);
    A->setFont(Bold);
    connect(A, &QAction::triggered, this, [this, Range, S] {
      // The word may have changed since the menu opened.
      if (ReplaceWords({Range}, S)) Engine()->SetSel({LONG(Range.cpMin + S.size()), LONG(Range.cpMin + S.size())});
    });
    Add(A);
  }
  auto* AddWord = new QAction(QStringLiteral("Добавить в словарь"), Menu);
  AddWord->setObjectName(QStringLiteral("SpellAddItem"));
  connect(AddWord, &QAction::triggered, this, [this, Text] {
    QString Error;
    spell::TSpeller* S = spell::SharedSpeller();
    if (S && !S->AddToUserList(Text, &Error)) platform::ShowError(Error, platform::ApplicationTitle(), this);
    spell::NotifySpellingChanged();
  });
  Add(AddWord);
  auto* Ignore = new QAction(QStringLiteral("Пропустить везде"), Menu);
  Ignore->setObjectName(QStringLiteral("SpellIgnoreItem"));
  connect(Ignore, &QAction::triggered, this, [Text] {
    if (spell::TSpeller* S = spell::SharedSpeller()) S->IgnoreAll(Text);
    spell::NotifySpellingChanged();
  });
  Add(Ignore);
  if (First) {
    auto* Separator = new QAction(Menu);
    Separator->setSeparator(true);
    Add(Separator);
  }
}

// ---- the class with spelling ---------------------------------------------------------------

TqvDBRichEditSpell::TqvDBRichEditSpell(QWidget* Parent) : TqvDBRichEdit(Parent) {
  SetCheckSpelling(true);
  // Started now, so that the dictionary is there by the time the user types.
  spell::SharedSpeller();
  connect(spell::SpellNotifier(), &spell::TSpellNotifier::Changed, this, [this] {
    if (IsFocused()) ReportMissingDictionary();
  });
}

void TqvDBRichEditSpell::DoEnter() {
  TqvDBRichEdit::DoEnter();
  ReportMissingDictionary();
}

void TqvDBRichEditSpell::ReportMissingDictionary() {
  if (spell::NoDictionaryReported() || GetReadOnly()) return;
  const spell::TSpeller* S = spell::SharedSpeller();
  if (!S || S->HasDictionary()) return;
  spell::NoDictionaryReported() = true;
  const QString Problem = S->Problem();
  // After the focus change that brought it here has finished.
  QTimer::singleShot(0, this, [this, Problem] { platform::Inform(Problem, platform::ApplicationTitle(), platform::Icon::Information, this); });
}

bool TqvDBRichEditSpell::SpellCheck() {
  if (!HandleAllocated() || GetReadOnly()) return false;
  spell::TSpeller* Speller = spell::WaitForSharedSpeller();
  if (!Speller || !Speller->HasDictionary()) {
    spell::NoDictionaryReported() = true;
    platform::Inform(Speller ? Speller->Problem() : QString(), platform::ApplicationTitle(), platform::Icon::Information, this);
    return false;
  }
  TqvSpellTarget Target;
  Target.Engine = Engine();
  Target.Replace = [this](const QList<CHARRANGE>& Ranges, const QString& Text) { return ReplaceWords(Ranges, Text); };
  TqvSpellDialog Dialog(Target, *Speller, window());
  if (Dialog.Start()) {
    RunSpellDialog(Dialog);
    if (!Dialog.Finished()) return false;
  }
  platform::Inform(GlobalIntl->UserMessages()->RichEditSpellCheckComplete(), platform::ApplicationTitle(),
                   platform::Icon::Information, this);
  return true;
}

}  // namespace richtext
