// Links in the text: making the selected words a link to a target another part of the program
// chooses (a term of the glossary), taking it away, and following it with Ctrl+click, Enter
// inside it or, while read-only, a plain click.

#include <QAction>
#include <QMouseEvent>
#include <utility>

#include "platform/Question.h"
#include "richtext/qvriched.h"

using namespace engine;

namespace richtext {

bool TqvCustomRichEdit::LinkSelection() {
  if (!OnChooseLink || !HandleAllocated() || GetReadOnly() || !HasSelection()) return false;
  const QString Words = Engine()->GetSelText().trimmed();
  if (Words.isEmpty()) return false;
  const QString Target = OnChooseLink(this, Words);
  if (Target.isEmpty()) return false;
  BeginEdit();
  if (!Engine()->SetSelLink(Target)) return false;
  FormatChanged();
  return true;
}

bool TqvCustomRichEdit::SetLinkAt(int From, int To, const QString& Target) {
  if (!HandleAllocated() || GetReadOnly() || Target.isEmpty() || From >= To) return false;
  Engine()->SetSel({From, To});
  BeginEdit();
  if (!Engine()->SetSelLink(Target)) return false;
  FormatChanged();
  return true;
}

bool TqvCustomRichEdit::RemoveLink() {
  if (!HandleAllocated() || GetReadOnly()) return false;
  if (LinkAtCaret().isEmpty()) return false;
  BeginEdit();
  if (!Engine()->SetSelLink(QString())) return false;
  FormatChanged();
  return true;
}

QString TqvCustomRichEdit::LinkAtCaret() const {
  if (!HandleAllocated()) return {};
  TRichEngine* E = Engine();
  const CHARRANGE Sel = E->GetSel();
  if (Sel.cpMin != Sel.cpMax) {
    for (int P = Sel.cpMin; P < Sel.cpMax; ++P)
      if (const QString T = E->LinkTargetAt(P); !T.isEmpty()) return T;
    return {};
  }
  CHARRANGE Range;
  const QString T = E->LinkTargetAt(Sel.cpMin, &Range);
  // At the link's first character the caret is before it, not in it.
  return !T.isEmpty() && Range.cpMin < Sel.cpMin ? T : QString();
}

bool TqvCustomRichEdit::FollowLink(const QString& Target) {
  if (Target.isEmpty() || !OnFollowLink) return false;
  bool Taken = false;
  platform::Guarded([&] { Taken = OnFollowLink(this, Target); }, this);
  return Taken;
}

bool TqvCustomRichEdit::LinkMouse(QMouseEvent* Ev) {
  if (!OnFollowLink || !HandleAllocated()) return false;
  const QString Target = Engine()->LinkTargetAtPoint(Ev->position().toPoint());
  const bool Follows = !Target.isEmpty() && ((Ev->modifiers() & Qt::ControlModifier) || GetReadOnly());
  switch (Ev->type()) {
    case QEvent::MouseMove:
      if (Ev->buttons() == Qt::NoButton) Engine()->viewport()->setCursor(Follows ? Qt::PointingHandCursor : Qt::IBeamCursor);
      return false;
    case QEvent::MouseButtonPress:
      pressedLink_.clear();
      if (Ev->button() != Qt::LeftButton || !Follows) return false;
      pressedLink_ = Target;
      return true;
    case QEvent::MouseButtonRelease: {
      if (Ev->button() != Qt::LeftButton || pressedLink_.isEmpty()) return false;
      const QString Pressed = std::exchange(pressedLink_, QString());
      // Released elsewhere: the press was not a click on the link.
      if (Pressed == Target) FollowLink(Target);
      return true;
    }
    default: return false;
  }
}

}  // namespace richtext
