#include "richtext/Qvintl.h"

#include <QStringList>

QString TqvRichEditMenuLabels::InsertCaptionShown() const {
  return FInsertCaption.isEmpty() ? QStringLiteral("&Insert") : FInsertCaption;
}

QString TqvRichEditMenuLabels::RulerCaptionShown() const {
  return FRulerCaption.isEmpty() ? QStringLiteral("&Ruler") : FRulerCaption;
}

QString TqvRichEditMenuLabels::RedoCaptionShown() const {
  return FRedoCaption.isEmpty() ? QStringLiteral("&Redo") : FRedoCaption;
}

QStringList TqvRichEditParagraphDlg::SpacingChoices() const {
  const auto Or = [](const QString& Text, const char* Fallback) {
    return Text.isEmpty() ? QString::fromLatin1(Fallback) : Text;
  };
  return {Or(FSpacingSingle, "Single"),     Or(FSpacing1_5, "1.5 Lines"),
          Or(FSpacingDouble, "Double"),     Or(FSpacingAtLeast, "At least"),
          Or(FSpacingExactly, "Exactly"),   Or(FSpacingMultiple, "Multiple")};
}

QStringList TqvRichEditTabDlg::PublishedOrder() {
  QStringList Names;
  for (const auto& P : TextProperties()) Names << QString::fromLatin1(P.Name);
  Names.insert(1, QStringLiteral("HelpContext"));
  return Names;
}

TqvDBRichEditIntl::TqvDBRichEditIntl()
    : FMenuLabels(std::make_unique<TqvRichEditMenuLabels>()),
      FPopupMenuLabels(std::make_unique<TqvRichEditPopupMenuLabels>()),
      FParagraphDialog(std::make_unique<TqvRichEditParagraphDlg>()),
      FTabDialog(std::make_unique<TqvRichEditTabDlg>()) {}

TqvDBRichEditIntl::~TqvDBRichEditIntl() = default;

QString TqvDBRichEditIntl::RedoButtonHintShown() const {
  return FRedoButtonHint.isEmpty() ? QStringLiteral("Redo | Reverses the last undo action")
                                   : FRedoButtonHint;
}

TqvIntl::TqvIntl(QObject* Owner)
    : QObject(Owner),
      FRichEdit(std::make_unique<TqvDBRichEditIntl>()),
      FUserMessages(std::make_unique<TqvUserMessagesIntl>()) {}

TqvIntl::~TqvIntl() {
  if (GlobalIntl == this) GlobalIntl = nullptr;
}

void TqvIntl::SetBtnOKCaption(const QString& Value) {
  if (FBtnOKCaption != Value) FBtnOKCaption = Value;
}

void TqvIntl::SetBtnCancelCaption(const QString& Value) {
  if (FBtnCancelCaption != Value) FBtnCancelCaption = Value;
}

void TqvIntl::SetConnected(bool Value) {
  FConnected = Value;
  if (Value) ApplyToGlobal();
}

void TqvIntl::Loaded() {
  if (FConnected) ApplyToGlobal();
}

void TqvIntl::ApplyToGlobal() {
  if (GlobalIntl == nullptr || GlobalIntl == this) return;
  TqvDBRichEditIntl* To = GlobalIntl->RichEdit();
  const TqvDBRichEditIntl* From = FRichEdit.get();
  To->AssignTexts(*From);
  To->MenuLabels()->AssignTexts(*From->MenuLabels());
  To->PopupMenuLabels()->AssignTexts(*From->PopupMenuLabels());
  To->ParagraphDialog()->AssignTexts(*From->ParagraphDialog());
  To->ParagraphDialog()->SetHelpContext(From->ParagraphDialog()->HelpContext());
  To->TabDialog()->AssignTexts(*From->TabDialog());
  To->TabDialog()->SetHelpContext(From->TabDialog()->HelpContext());
  GlobalIntl->UserMessages()->AssignTexts(*FUserMessages);
  GlobalIntl->SetBtnOKCaption(FBtnOKCaption);
  GlobalIntl->SetBtnCancelCaption(FBtnCancelCaption);
}

namespace {
// Owns the program-wide instance from static initialisation to the end of the run, so it
// exists before the application object and every window.
struct GlobalIntlHolder {
  std::unique_ptr<TqvIntl> Instance{new TqvIntl(nullptr)};
  GlobalIntlHolder() { GlobalIntl = Instance.get(); }
  ~GlobalIntlHolder() { Instance.reset(); }
};
}  // namespace

TqvIntl* GlobalIntl = nullptr;
static GlobalIntlHolder TheGlobalIntl;
