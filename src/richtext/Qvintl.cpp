#include "richtext/Qvintl.h"

#include <QCoreApplication>
#include <QStringList>

namespace richtext {

QString TqvRichEditMenuLabels::InsertCaptionShown() const {
  return textInsertCaption_.isEmpty() ? QCoreApplication::translate("TqvRichEditMenuLabels", "&Insert")
                                      : textInsertCaption_;
}

QString TqvRichEditMenuLabels::RulerCaptionShown() const {
  return textRulerCaption_.isEmpty() ? QCoreApplication::translate("TqvRichEditMenuLabels", "&Ruler")
                                     : textRulerCaption_;
}

QString TqvRichEditMenuLabels::RedoCaptionShown() const {
  return textRedoCaption_.isEmpty() ? QCoreApplication::translate("TqvRichEditMenuLabels", "&Redo")
                                    : textRedoCaption_;
}

QStringList TqvRichEditParagraphDlg::SpacingChoices() const {
  const auto Or = [](const QString& Text, const char* Fallback) {
    return Text.isEmpty() ? QCoreApplication::translate("TqvRichEditParagraphDlg", Fallback) : Text;
  };
  return {Or(textSpacingSingle_, QT_TRANSLATE_NOOP("TqvRichEditParagraphDlg", "Single")),
          Or(textSpacing1_5_, QT_TRANSLATE_NOOP("TqvRichEditParagraphDlg", "1.5 Lines")),
          Or(textSpacingDouble_, QT_TRANSLATE_NOOP("TqvRichEditParagraphDlg", "Double")),
          Or(textSpacingAtLeast_, QT_TRANSLATE_NOOP("TqvRichEditParagraphDlg", "At least")),
          Or(textSpacingExactly_, QT_TRANSLATE_NOOP("TqvRichEditParagraphDlg", "Exactly")),
          Or(textSpacingMultiple_, QT_TRANSLATE_NOOP("TqvRichEditParagraphDlg", "Multiple"))};
}

QStringList TqvRichEditTabDlg::PublishedOrder() {
  QStringList Names;
  for (const auto& P : TextProperties()) Names << QString::fromLatin1(P.Name);
  Names.insert(1, QStringLiteral("HelpContext"));
  return Names;
}

TqvDBRichEditIntl::TqvDBRichEditIntl()
    : menuLabels_(std::make_unique<TqvRichEditMenuLabels>()),
      popupMenuLabels_(std::make_unique<TqvRichEditPopupMenuLabels>()),
      paragraphDialog_(std::make_unique<TqvRichEditParagraphDlg>()),
      tabDialog_(std::make_unique<TqvRichEditTabDlg>()) {}

TqvDBRichEditIntl::~TqvDBRichEditIntl() = default;

QString TqvDBRichEditIntl::RedoButtonHintShown() const {
  return textRedoButtonHint_.isEmpty()
             ? QCoreApplication::translate("TqvDBRichEditIntl", "Redo | Reverses the last undo action")
             : textRedoButtonHint_;
}

TqvIntl::TqvIntl(QObject* Owner)
    : QObject(Owner),
      richEdit_(std::make_unique<TqvDBRichEditIntl>()),
      userMessages_(std::make_unique<TqvUserMessagesIntl>()) {}

TqvIntl::~TqvIntl() {
  if (GlobalIntl == this) GlobalIntl = nullptr;
}

void TqvIntl::SetBtnOKCaption(const QString& Value) {
  if (btnOKCaption_ != Value) btnOKCaption_ = Value;
}

void TqvIntl::SetBtnCancelCaption(const QString& Value) {
  if (btnCancelCaption_ != Value) btnCancelCaption_ = Value;
}

void TqvIntl::SetConnected(bool Value) {
  connected_ = Value;
  if (Value) ApplyToGlobal();
}

void TqvIntl::Loaded() {
  if (connected_) ApplyToGlobal();
}

void TqvIntl::ApplyToGlobal() {
  if (GlobalIntl == nullptr || GlobalIntl == this) return;
  TqvDBRichEditIntl* To = GlobalIntl->RichEdit();
  const TqvDBRichEditIntl* From = richEdit_.get();
  To->AssignTexts(*From);
  To->MenuLabels()->AssignTexts(*From->MenuLabels());
  To->PopupMenuLabels()->AssignTexts(*From->PopupMenuLabels());
  To->ParagraphDialog()->AssignTexts(*From->ParagraphDialog());
  To->ParagraphDialog()->SetHelpContext(From->ParagraphDialog()->HelpContext());
  To->TabDialog()->AssignTexts(*From->TabDialog());
  To->TabDialog()->SetHelpContext(From->TabDialog()->HelpContext());
  GlobalIntl->UserMessages()->AssignTexts(*userMessages_);
  GlobalIntl->SetBtnOKCaption(btnOKCaption_);
  GlobalIntl->SetBtnCancelCaption(btnCancelCaption_);
}

namespace {

// Each text of one record through the translators, under the record's class name as context.
template <class Record>
void TranslateRecord(Record* R, const char* Context) {
  for (const auto& P : Record::TextProperties()) {
    QString& Text = R->*P.Member;
    if (!Text.isEmpty()) Text = QCoreApplication::translate(Context, Text.toUtf8().constData());
  }
}

}  // namespace

void TranslateTexts(TqvIntl* Intl) {
  TqvDBRichEditIntl* R = Intl->RichEdit();
  TranslateRecord(R, "TqvDBRichEditIntl");
  TranslateRecord(R->MenuLabels(), "TqvRichEditMenuLabels");
  TranslateRecord(R->PopupMenuLabels(), "TqvRichEditPopupMenuLabels");
  TranslateRecord(R->ParagraphDialog(), "TqvRichEditParagraphDlg");
  TranslateRecord(R->TabDialog(), "TqvRichEditTabDlg");
  TranslateRecord(Intl->UserMessages(), "TqvUserMessagesIntl");
  Intl->SetBtnOKCaption(QCoreApplication::translate("TqvIntl", Intl->BtnOKCaption().toUtf8().constData()));
  Intl->SetBtnCancelCaption(QCoreApplication::translate("TqvIntl", Intl->BtnCancelCaption().toUtf8().constData()));
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

}  // namespace richtext
