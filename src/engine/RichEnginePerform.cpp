// The engine window's message dispatcher: each message in terms of the typed operations.
#include <QMouseEvent>
#include <algorithm>
#include <cstring>

#include "engine/RichEngine.h"
#include "rtf/PlainText.h"

namespace engine {

namespace {

QString FromUtf16(const char16_t* s) {
  if (!s) return {};
  return QString::fromUtf16(s);
}

// Copies text into a caller's buffer of `size` characters with a terminating zero.
LRESULT CopyOut(const QString& s, char16_t* buf, qsizetype size) {
  if (!buf || size <= 0) return 0;
  const qsizetype n = std::min(s.size(), size - 1);
  std::memcpy(buf, s.utf16(), size_t(n) * 2);
  buf[n] = 0;
  return LRESULT(n);
}

}  // namespace

// ---- the message dispatcher ---------------------------------------------------------------------

LRESULT TRichEngine::Perform(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_SETTEXT: {
      const QString t = FromUtf16(reinterpret_cast<const char16_t*>(l));
      if (t.startsWith(QLatin1String("{\\rtf"))) return LoadRtf(t.toLatin1()) ? 1 : 0;
      SetPlainText(t);
      document()->clearUndoRedoStacks();
      return 1;
    }
    // The window text has CR LF between paragraphs, as the class library's Text shows it.
    case WM_GETTEXT: return CopyOut(rtf::PlainText(*document()), reinterpret_cast<char16_t*>(l), qsizetype(w));
    case WM_GETTEXTLENGTH:
    case EM_GETTEXTLENGTHEX: return TextLength();
    case WM_SETREDRAW: SetRedraw(w != 0); return 0;
    case WM_CUT: Cut(); return 0;
    case WM_COPY: Copy(); return 0;
    case WM_PASTE: Paste(); return 0;
    case WM_CLEAR: Clear(); return 0;
    case WM_UNDO:
    case EM_UNDO: return Undo() ? 1 : 0;
    case EM_REDO: return Redo() ? 1 : 0;
    case EM_CANUNDO: return CanUndo() ? 1 : 0;
    case EM_CANREDO: return CanRedo() ? 1 : 0;
    case EM_EMPTYUNDOBUFFER: EmptyUndoBuffer(); return 0;
    case EM_STOPGROUPTYPING: return 0;
    case EM_SETUNDOLIMIT:
      // Qt keeps no count of undo steps: a limit of 0 turns undo off, any other keeps it on.
      document()->setUndoRedoEnabled(w != 0);
      return w;
    case EM_CANPASTE: return CanPaste(UINT(w)) ? 1 : 0;
    case EM_PASTESPECIAL: PasteSpecial(UINT(w)); return 0;
    case EM_GETMODIFY: return GetModify() ? 1 : 0;
    case EM_SETMODIFY: SetModify(w != 0); return 0;
    case EM_SETREADONLY: SetReadOnly(w != 0); return 1;
    case EM_GETSEL: {
      const CHARRANGE s = GetSel();
      if (w) *reinterpret_cast<DWORD*>(w) = DWORD(s.cpMin);
      if (l) *reinterpret_cast<DWORD*>(l) = DWORD(s.cpMax);
      return MAKELPARAM(std::min<LONG>(s.cpMin, 0xFFFF), std::min<LONG>(s.cpMax, 0xFFFF));
    }
    case EM_SETSEL: SetSel({LONG(w), LONG(l)}); return 0;
    case EM_EXGETSEL:
      if (l) *reinterpret_cast<CHARRANGE*>(l) = GetSel();
      return 0;
    case EM_EXSETSEL:
      if (l) SetSel(*reinterpret_cast<const CHARRANGE*>(l));
      return GetSel().cpMax;
    case EM_REPLACESEL: ReplaceSel(FromUtf16(reinterpret_cast<const char16_t*>(l)), w != 0); return 0;
    case EM_GETSELTEXT: {
      const QString t = GetSelText();
      auto* buf = reinterpret_cast<char16_t*>(l);
      if (!buf) return 0;
      std::memcpy(buf, t.utf16(), size_t(t.size()) * 2);
      buf[t.size()] = 0;
      return t.size();
    }
    case EM_SELECTIONTYPE: return SelectionType();
    case EM_GETTEXTRANGE: {
      auto* tr = reinterpret_cast<TEXTRANGE*>(l);
      if (!tr || !tr->lpstrText) return 0;
      const QString t = GetTextRange(tr->chrg.cpMin, tr->chrg.cpMax);
      std::memcpy(tr->lpstrText, t.utf16(), size_t(t.size()) * 2);
      tr->lpstrText[t.size()] = 0;
      return t.size();
    }
    case EM_CHARFROMPOS: {
      const auto* p = reinterpret_cast<const POINTL*>(l);
      return p ? CharFromPos(QPoint(p->x, p->y)) : 0;
    }
    case EM_POSFROMCHAR: {
      auto* p = reinterpret_cast<POINTL*>(w);
      const QPoint q = PosFromChar(int(l));
      if (p) *p = {q.x(), q.y()};
      return 0;
    }
    case EM_GETLINECOUNT: return GetLineCount();
    case EM_LINEINDEX: return LineIndex(int(w));
    case EM_LINELENGTH: return LineLength(int(w));
    case EM_LINEFROMCHAR:
    case EM_EXLINEFROMCHAR: return LineFromChar(int(msg == EM_EXLINEFROMCHAR ? l : w));
    case EM_GETFIRSTVISIBLELINE: return FirstVisibleLine();
    case EM_GETLINE: {
      auto* buf = reinterpret_cast<char16_t*>(l);
      if (!buf) return 0;
      const int size = int(*reinterpret_cast<WORD*>(buf));
      const QString t = GetLine(int(w));
      // The line is copied without a terminating zero, as many characters as the buffer holds.
      const int n = std::min(int(t.size()), size);
      std::memcpy(buf, t.utf16(), size_t(n) * 2);
      return n;
    }
    case EM_GETCHARFORMAT: {
      auto* cf = reinterpret_cast<CHARFORMAT*>(l);
      if (!cf) return 0;
      GetCharFormat(DWORD(w), *cf);
      return cf->dwMask;
    }
    case EM_SETCHARFORMAT: {
      const auto* cf = reinterpret_cast<const CHARFORMAT*>(l);
      return cf && SetCharFormat(DWORD(w), *cf) ? 1 : 0;
    }
    case EM_GETPARAFORMAT: {
      auto* pf = reinterpret_cast<PARAFORMAT*>(l);
      if (!pf) return 0;
      GetParaFormat(*pf);
      return pf->dwMask;
    }
    case EM_SETPARAFORMAT: {
      const auto* pf = reinterpret_cast<const PARAFORMAT*>(l);
      return pf && SetParaFormat(*pf) ? 1 : 0;
    }
    case EM_FINDTEXT: {
      auto* ft = reinterpret_cast<FINDTEXT*>(l);
      if (!ft) return -1;
      FINDTEXTEX ex;
      ex.chrg = ft->chrg;
      ex.lpstrText = ft->lpstrText;
      return FindText(DWORD(w), ex);
    }
    case EM_FINDTEXTEX: {
      auto* ft = reinterpret_cast<FINDTEXTEX*>(l);
      return ft ? FindText(DWORD(w), *ft) : -1;
    }
    case EM_GETRECT:
      if (l) *reinterpret_cast<RECT*>(l) = GetRect();
      return 0;
    case EM_SETRECT:
    case EM_SETRECTNP: SetRect(reinterpret_cast<const RECT*>(l)); return 0;
    case EM_FORMATRANGE: return FormatRange(w != 0, reinterpret_cast<const FORMATRANGE*>(l));
    case EM_DISPLAYBAND: return 0;
    case EM_SCROLLCARET:
    case EM_SCROLLCARET_RE: ScrollCaret(); return 0;
    case EM_REQUESTRESIZE: RequestResize(); return 0;
    case EM_GETEVENTMASK: return GetEventMask();
    case EM_SETEVENTMASK: return SetEventMask(DWORD(l));
    case EM_AUTOURLDETECT: SetAutoUrlDetect(w != 0); return 0;
    case EM_GETAUTOURLDETECT: return autoUrl_ ? 1 : 0;
    case EM_SETTYPOGRAPHYOPTIONS: SetTypographyOptions(DWORD(w), DWORD(l)); return 1;
    case EM_GETTYPOGRAPHYOPTIONS: return TypographyOptions();
    case EM_EXLIMITTEXT: SetTextLimit(LONG(l)); return 0;
    case EM_LIMITTEXT: SetTextLimit(LONG(w)); return 0;
    case EM_SETBKGNDCOLOR: return SetBackgroundColor(w != 0, COLORREF(l));
    case EM_SETOPTIONS: return SetOptions(DWORD(w), DWORD(l));
    case EM_GETOPTIONS: return Options();
    case EM_HIDESELECTION: SetHideSelectionImpl(w != 0); return 0;
    case EM_SETTARGETDEVICE:
      if (w == 0 && l == 1) {
        SetWordWrap(false);
      } else {
        targetWidthTw_ = LONG(l);
        wordWrap_ = true;
        ApplyFormatRect();
      }
      return 1;
    case EM_STREAMIN: {
      auto* es = reinterpret_cast<EDITSTREAM*>(l);
      return es ? StreamIn(DWORD(w), *es) : 0;
    }
    case EM_STREAMOUT: {
      auto* es = reinterpret_cast<EDITSTREAM*>(l);
      return es ? StreamOut(DWORD(w), *es) : 0;
    }
    case EM_GETOLEINTERFACE: {
      auto** out = reinterpret_cast<IRichEditOle**>(l);
      if (!out) return 0;
      *out = OleInterface();
      return 1;
    }
    case EM_SETOLECALLBACK: SetOleCallback(reinterpret_cast<IRichEditOleCallback*>(l)); return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK: {
      // A click sent by the program: the engine places the caret (or selects the object) there.
      const QPointF at = QPointF(GET_X_LPARAM(l), GET_Y_LPARAM(l)) - QPointF(viewport()->pos());
      const QEvent::Type type = msg == WM_LBUTTONDOWN ? QEvent::MouseButtonPress
                                : msg == WM_LBUTTONUP ? QEvent::MouseButtonRelease
                                                      : QEvent::MouseButtonDblClick;
      const Qt::MouseButtons held = msg == WM_LBUTTONUP ? Qt::NoButton : Qt::LeftButton;
      QMouseEvent me(type, at, viewport()->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
      if (msg == WM_LBUTTONDOWN) {
        QTextEdit::mousePressEvent(&me);
        SelectObjectUnder(at.toPoint());
      }
      else if (msg == WM_LBUTTONUP) QTextEdit::mouseReleaseEvent(&me);
      else QTextEdit::mouseDoubleClickEvent(&me);
      return 0;
    }
    default: return 0;
  }
}

}  // namespace engine
