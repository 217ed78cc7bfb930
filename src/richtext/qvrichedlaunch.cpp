// Execute: the editor window opened on a copy of the control's text, and the edited text taken
// back when the window closes with OK.

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QScreen>
#include <QTextCursor>
#include <memory>
#include <optional>

#include "base/Exception.h"
#include "data/DataSet.h"
#include "platform/Question.h"
#include "richtext/qvRichEditorWindow.h"
#include "richtext/qvriched.h"

using namespace engine;

namespace richtext {

namespace {

// The desktop's work area: the screen the control is on, less panels and docks.
QRect WorkArea(const QWidget* Near) {
  QScreen* S = Near && Near->screen() ? Near->screen() : QGuiApplication::primaryScreen();
  return S ? S->availableGeometry() : QRect(0, 0, 1024, 768);
}

// One coordinate of the window: the given one when above 0, else centred in the work area with
// the window's size as it will be once scaled to the screen.
int Placed(int Given, int AreaStart, int AreaSize, int Size, int Ppi) {
  if (Given > 0) return Given;
  return AreaStart + (AreaSize - Size * Ppi / 96) / 2;
}

}  // namespace

bool TqvCustomRichEdit::Execute() {
  const auto& Create = QvRichEditHooks().CreateEditorWindow;
  if (!Create) throw base::Exception(QCoreApplication::translate("Editor", "The rich text editor window is not available."));

  // The hourglass until the window is up; the window shows the normal cursor.
  std::optional<base::WaitCursor> Wait(std::in_place);
  std::unique_ptr<TqvRichEditorWindow> Form(Create());
  editorForm_ = Form.get();
  TqvCustomRichEdit* RichEdit1 = nullptr;
  base::ScopeGuard Cleanup([&] {
    editorRichEdit_ = nullptr;
    editorForm_ = nullptr;
    Wait.reset();
    if (RichEdit1 && RichEdit1->HandleAllocated()) {
      base::ValueRestorer<bool> Quiet(RichEdit1->loading_, true);
      RichEdit1->EngineLines().Clear();
    }
    Form.reset();
  });
  LoadFieldContents();

  QWidget* Client = Form->ClientArea();
  // The editing control: an instance of this control's own class.
  QObject* Made = metaObject()->newInstance(Q_ARG(QWidget*, Client));
  RichEdit1 = qobject_cast<TqvCustomRichEdit*>(Made);
  if (RichEdit1 == nullptr) {
    delete Made;
    throw base::Exception(QCoreApplication::translate("Editor", "The editing control could not be created."));
  }
  editorRichEdit_ = RichEdit1;
  Form->RichEdit1 = RichEdit1;
  const int RulerHeight = Form->PixelsPerInch() <= 96 ? 25 : 27;
  RichEdit1->SetOleOptions(oleOptions_);
  RichEdit1->SetScrollBars(ssVertical);
  RichEdit1->SetWordWrap(WordWrap());
  RichEdit1->setGeometry(0, RulerHeight + 62, 595, 330);
  RichEdit1->SetHideSelection(false);
  RichEdit1->SetWantTabs(true);
  RichEdit1->OnSelectionChange = [F = Form.get()](engine::TCustomRichEdit*) { F->RichEdit1SelectionChange(); };
  RichEdit1->SetPopupOptions(
      {rpoPopupCut, rpoPopupCopy, rpoPopupPaste, rpoPopupFont, rpoPopupBullet, rpoPopupParagraph});
  RichEdit1->SetEditorCaption(QCoreApplication::translate("Editor", "Edit Rich Text"));
  RichEdit1->SetMeasurementUnits(muInches);
  RichEdit1->PrintMargins() = TqvPrintMargins{1.0, 1.0, 1.0, 1.0};
  RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
  Form->setWindowTitle(editorCaption_);

  // What the editing control takes over from this one.
  RichEdit1->setFont(font());
  // The font's colour lives in the palette here: text in the automatic colour shows in it.
  QPalette TextColors = RichEdit1->palette();
  for (QPalette::ColorRole Role : {QPalette::Text, QPalette::WindowText})
    TextColors.setColor(Role, palette().color(Role));
  RichEdit1->setPalette(TextColors);
  RichEdit1->SetControlFontCharset(fontCharset_);
  RichEdit1->SetControlFontColor(fontColor_);
  RichEdit1->HandleNeeded();
  TTextAttributes& Typing = RichEdit1->DefAttributes();
  Typing.SetName(font().family());
  TFontStyles Style = 0;
  if (font().bold()) Style |= fsBold;
  if (font().italic()) Style |= fsItalic;
  if (font().underline()) Style |= fsUnderline;
  if (font().strikeOut()) Style |= fsStrikeOut;
  Typing.SetStyle(Style);
  Typing.SetColor(fontColor_);
  if (font().pointSize() > 0) Typing.SetSize(font().pointSize());
  Typing.SetPitch(font().fixedPitch() ? fpFixed : fpDefault);
  RichEdit1->PrintHeader() = PrintHeader();
  RichEdit1->PrintFooter() = PrintFooter();
  RichEdit1->OnPrintHeader = OnPrintHeader;
  RichEdit1->OnPrintFooter = OnPrintFooter;
  Form->SourceEdit = this;
  RichEdit1->SetWantReturns(true);
  RichEdit1->SetWantTabs(true);
  RichEdit1->SetMeasurementUnits(measurementUnits_);
  RichEdit1->OnInitDialog = OnInitDialog;
  RichEdit1->PrintMargins() = PrintMargins();
  RichEdit1->SetEditWidth(editWidth_);
  RichEdit1->SetPrintPageSize(printPageSize_);
  RichEdit1->SetHighlightColor(highlightColor_);
  if (editorOptions_.Contains(reoUseBackColor)) RichEdit1->SetColor(Color());
  RichEdit1->SetEditorOptions(editorOptions_);
  RichEdit1->engine::TCustomRichEdit::SetReadOnly(GetReadOnly());
  RichEdit1->SetMaxLength(MaxLength());
  RichEdit1->SetSelStart(SelStart());
  RichEdit1->SetAutoURLDetect(autoURLDetect_);
  RichEdit1->OnURLOpen = OnURLOpen;
  // Links are made and drawn in the editor as here; following one waits until it is closed.
  RichEdit1->OnChooseLink = OnChooseLink;
  RichEdit1->OnLinkBroken = OnLinkBroken;
  RichEdit1->OnLinkHint = OnLinkHint;
  RichEdit1->setFocus(Qt::OtherFocusReason);
  // The ruler, under the format bar, shows and changes RichEdit1's paragraphs; it needs the
  // editing control and its settings, so it comes after them.
  Form->Ruler = Form->CreateRuler(this, Client, RichEdit1, Form->FormatBarBottom() + 10);

  // Placement in the work area.
  const TqvFormPosition& P = *editorPosition_;
  if (P.Width > 0) Form->resize(P.Width, Form->height());
  if (P.Height > 0) Form->resize(Form->width(), P.Height);
  const QRect Area = WorkArea(this);
  const int Ppi = Form->PixelsPerInch();
  Form->move(Placed(P.Left, Area.left(), Area.width(), Form->width(), Ppi),
             Placed(P.Top, Area.top(), Area.height(), Form->height(), Ppi));

  DoCreateDialog(Form.get());
  Wait.reset();
  Form->exec();

  const bool Ok = Form->ModalResult() == TqvRichEditorWindow::mrOk;
  if (Ok) {
    // Where the editing left the caret and the selection; the anchor first, so a selection made
    // backwards keeps its caret end.
    const QTextCursor Edited = RichEdit1->Engine()->textCursor();
    if (RichEdit1->Modified()) {
      BeginEdit();
      data::TField* Field = GetField();
      if (Field == nullptr) {
        CopyRichText(RichEdit1, this);
      } else if (auto* Blob = dynamic_cast<data::TBlobField*>(Field)) {
        // The editor's RTF goes straight into the field; the field's change reloads this control.
        Blob->SetAsBytes(RichEdit1->EngineLines().SaveToBytes());
      } else {
        // A field that holds no rich text gets the text without its formatting.
        Field->SetText(RichEdit1->Text());
      }
      DoCloseDialog(Form.get());
      SetModified(true);
    } else {
      DoCloseDialog(Form.get());
    }
    PrintMargins() = RichEdit1->PrintMargins();
    SetPrintPageSize(RichEdit1->PrintPageSize());
    // This control now shows the text the window ended with: the caret goes on where it was left.
    if (HandleAllocated()) {
      Engine()->SetSel({Edited.anchor(), Edited.position()});
      Engine()->ScrollCaret();
    }
  } else {
    DoCloseDialog(Form.get());
  }
  return Ok;
}

void TqvCustomRichEdit::PrintCopies(const QString& Caption, int Copies) {
  platform::Guarded(
      [&] {
        for (int I = 0; I < Copies; ++I) PrintDocument(Caption);
      },
      window());
}

}  // namespace richtext
