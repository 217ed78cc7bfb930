#pragma once
// Shared pieces of the rich edit tests: a control with a window, RTF helpers, and a small
// glossary in a temporary folder bound as the glossary window binds it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <memory>

#include "richtext/qvriched.h"
#include "tests/common/GlossaryFixture.h"

using namespace richtext;

// Exposes the protected hooks the tests drive directly.
class TProbeRichEdit : public TqvDBRichEdit {
 public:
  using TqvDBRichEdit::TqvDBRichEdit;
  using TqvDBRichEdit::CNNotify;
  using TqvDBRichEdit::KeyDown;
  using TqvDBRichEdit::KeyPress;
  using TqvDBRichEdit::MouseUp;
  using TqvDBRichEdit::DoEnter;
  using TqvDBRichEdit::DoExit;
  using TqvDBRichEdit::DblClick;
  bool Executed = false;
  bool Execute() override {
    Executed = true;
    return true;
  }
};

inline std::unique_ptr<TProbeRichEdit> MakeEdit(int Width = 300, int Height = 200) {
  auto E = std::make_unique<TProbeRichEdit>();
  E->resize(Width, Height);
  E->HandleNeeded();
  return E;
}

// Types a key as the user would: key-down first, then the character unless consumed.
inline void TypeKey(TProbeRichEdit& E, int Key, QChar Ch = QChar(), Qt::KeyboardModifiers Mods = Qt::NoModifier) {
  QKeyEvent Ev(QEvent::KeyPress, Key, Mods, Ch.isNull() ? QString() : QString(Ch));
  QApplication::sendEvent(E.Engine(), &Ev);
}

// The control's whole text loaded from and saved to RTF through its line list, as a stream.
inline void LoadAll(TqvCustomRichEdit& E, const QByteArray& Bytes) {
  QBuffer B;
  B.setData(Bytes);
  B.open(QIODevice::ReadOnly);
  E.EngineLines().LoadFromStream(B);
}
inline QByteArray SaveAll(TqvCustomRichEdit& E) {
  QBuffer B;
  B.open(QIODevice::WriteOnly);
  E.EngineLines().SaveToStream(B);
  return B.data();
}

inline QByteArray Rtf(const char* Body) {
  return QByteArray("{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil\\fcharset204 Arial;}}") + Body + "}";
}

// A glossary in a temporary folder: letters А and Б with the given definitions, open.
struct TGlossary : GlossaryFolder, GlossaryTables {
  using Term = GlossaryTerm;
  explicit TGlossary(const std::vector<Term>& TermsOfA, const std::vector<Term>& TermsOfB = {})
      : GlossaryFolder({{QString::fromUtf8("А"), TermsOfA}, {QString::fromUtf8("Б"), TermsOfB}}),
        GlossaryTables(Dir.path()) {
    Open();
  }
  data::TStringField& Word = Table2WordDetail;
  data::TGraphicField& Text = Table2TextDetail;
};
