#pragma once
// Shared pieces of the rich edit tests: a control with a window, RTF helpers, and a small
// glossary in a temporary folder bound as the glossary window binds it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <memory>

#include "data/GlossaryStore.h"
#include "richtext/qvriched.h"

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

inline QByteArray Rtf(const char* Body) {
  return QByteArray("{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil\\fcharset204 Arial;}}") + Body + "}";
}

// A glossary in a temporary folder: letters А and Б with the given definitions.
struct TGlossary {
  struct Term {
    QString Word;
    QByteArray Definition;
  };

  explicit TGlossary(const std::vector<Term>& TermsOfA, const std::vector<Term>& TermsOfB = {}) {
    QString Error;
    Ok = data::CreateGlossaryTables(Dir.path(), &Error);
    EXPECT_TRUE(Ok) << Error.toStdString();
    data::GlossaryWriter W(Dir.path());
    EXPECT_TRUE(W.Begin(&Error)) << Error.toStdString();
    const int A = W.AddLetter(QString::fromUtf8("А"), 1);
    for (const auto& T : TermsOfA) EXPECT_TRUE(W.AddTerm(A, T.Word, T.Definition));
    const int B = W.AddLetter(QString::fromUtf8("Б"), 2);
    for (const auto& T : TermsOfB) EXPECT_TRUE(W.AddTerm(B, T.Word, T.Definition));
    EXPECT_TRUE(W.Commit(&Error)) << Error.toStdString();

    Table1.SetDatabaseName(Dir.path());
    Table1.SetTableName("tableMaster");
    DataSource1.SetDataSet(&Table1);
    Table2.SetDatabaseName(Dir.path());
    Table2.SetTableName("tableDetail.DB");
    Table2.SetIndexName("SecInxDetail");
    Table2.SetMasterFields("IDMaster");
    Table2.SetMasterSource(&DataSource1);
    DataSource2.SetDataSet(&Table2);
    Id.SetFieldName("IDDetail");
    Num.SetFieldName("NumDetail");
    Assist.SetFieldName("AssistDetail");
    Word.SetFieldName("WordDetail");
    Text.SetFieldName("TextDetail");
    for (TField* F : std::initializer_list<TField*>{&Id, &Num, &Assist, &Word, &Text}) F->SetDataSet(&Table2);
    Table1.Open();
    Table2.Open();
  }

  QTemporaryDir Dir;
  bool Ok = false;
  TTable Table1;
  TDataSource DataSource1;
  TTable Table2;
  TDataSource DataSource2;
  TAutoIncField Id;
  TSmallintField Num;
  TIntegerField Assist;
  TStringField Word;
  TGraphicField Text;
};
