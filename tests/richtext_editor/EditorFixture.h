#pragma once
// Shared pieces of the editor window tests: running Execute with a script acting inside the
// open (modal) window, and a control bound to a small glossary.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <functional>

#include "richtext/editor/qvrichform.h"
#include "tests/common/TestQuestions.h"
#include "tests/richtext/RichEditFixture.h"

// Runs the control's Execute; Script acts in the window once it is shown and is expected to
// close it. A window left open is a failure, and is closed so the test goes on.
inline bool RunEditor(TqvCustomRichEdit& Control, const std::function<void(TqvRichEditForm&)>& Script) {
  InstallRichEditForm();
  const auto Previous = Control.OnCreateDialog;
  Control.OnCreateDialog = [&Script, Previous](QWidget* W) {
    if (Previous) Previous(W);
    auto* Form = static_cast<TqvRichEditForm*>(W);
    QTimer::singleShot(0, Form, [Form, &Script] {
      Script(*Form);
      if (Form->isVisible()) {
        ADD_FAILURE() << "the editor window stayed open";
        Form->QDialog::done(QDialog::Rejected);
      }
    });
  };
  base::ScopeGuard Restore([&] { Control.OnCreateDialog = Previous; });
  return Control.Execute();
}

// Selects [From, From + Length) of the window's editing control.
inline void Select(TqvCustomRichEdit& E, int From, int Length) {
  E.SetSelStart(From);
  E.SetSelLength(Length);
}

// A glossary of three terms of letter А and the glossary window's definition control bound to it.
class EditorOnGlossary : public ::testing::Test {
 protected:
  EditorOnGlossary()
      : G({{QString::fromUtf8("Акация"), Rtf("{\\b Acacia} blossom")},
           {QString::fromUtf8("Апис"), Rtf("Apis mellifera")},
           {QString::fromUtf8("Аэрозоль"), QByteArray()}}) {
    Edit.resize(497, 221);
    Edit.SetDataSource(&G.DataSource2);
    Edit.SetDataField(QStringLiteral("TextDetail"));
    Edit.HandleNeeded();
  }
  QByteArray Stored() const { return G.Text.AsBytes(); }

  TGlossary G;
  TqvDBRichEdit Edit;
  TestQuestions Questions;
};
