#include "DefinitionEdit.h"

#include <QTextBlockFormat>
#include <QTextCursor>

#include "RtfReader.h"

TDefinitionEdit::TDefinitionEdit(QWidget* parent) : QTextEdit(parent), link_(std::make_unique<TFieldDataLink>()) {
  setAcceptRichText(false);
  link_->SetControl(this);
  link_->OnDataChange = [this] { LoadField(); };
  link_->OnEditingChange = [this] { UpdateReadOnly(); };
  link_->OnActiveChange = [this] { LoadField(); };
  link_->OnUpdateData = [this] {
    if (TField* f = link_->Field(); f && !richStored_)
      if (auto* blob = qobject_cast<TBlobField*>(f)) blob->SetAsBytes(toPlainText().toUtf8());
  };
  connect(this, &QTextEdit::textChanged, this, [this] {
    if (loading_ || richStored_) return;
    // The first change puts the record into edit state.
    // The record's reload that the edit announces must not replace what was just typed.
    typing_ = true;
    const bool editing = link_->Edit();
    typing_ = false;
    if (editing) link_->Modified();
  });
  UpdateReadOnly();
}

TDefinitionEdit::~TDefinitionEdit() = default;

TDataSource* TDefinitionEdit::DataSource() const { return link_->DataSource(); }
void TDefinitionEdit::SetDataSource(TDataSource* source) { link_->SetDataSource(source); }
QString TDefinitionEdit::DataField() const { return link_->FieldName(); }
void TDefinitionEdit::SetDataField(const QString& name) { link_->SetFieldName(name); }

void TDefinitionEdit::LoadField() {
  if (typing_) return;
  loading_ = true;
  QByteArray bytes;
  if (TField* f = link_->Field())
    if (auto* blob = qobject_cast<TBlobField*>(f)) bytes = blob->AsBytes();
  richStored_ = engine::LooksLikeRtf(bytes);
  clear();
  QTextCursor at(document());
  if (!richStored_ || !engine::ReadRtf(bytes, at)) setPlainText(QString::fromUtf8(bytes));
  document()->setModified(false);
  loading_ = false;
  UpdateReadOnly();
}

void TDefinitionEdit::UpdateReadOnly() {
  setReadOnly(richStored_ || !link_->Active() || (link_->Field() && !link_->CanModify()));
}

void TDefinitionEdit::JustifySelection() {
  QTextBlockFormat f;
  f.setAlignment(advancedTypography_ ? Qt::AlignJustify : Qt::AlignLeft);
  const bool was = loading_;
  loading_ = true;
  textCursor().mergeBlockFormat(f);
  loading_ = was;
}

void TDefinitionEdit::SetSelFont(const QString& face, int points) {
  QTextCharFormat f;
  f.setFontFamilies({face});
  f.setFontPointSize(points);
  const bool was = loading_;
  loading_ = true;
  textCursor().mergeCharFormat(f);
  loading_ = was;
}

void TDefinitionEdit::focusOutEvent(QFocusEvent* event) {
  // Leaving the editor writes what was typed into the record (stored on post or move).
  if (link_->IsModified()) data::ShowDataError([this] { link_->UpdateRecord(); }, this);
  QTextEdit::focusOutEvent(event);
}
