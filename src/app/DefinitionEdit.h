#pragma once
// The definition editor of the glossary window while the data-bound rich edit control is not
// part of the build: shows the current term's definition and writes plain-text changes back.
// A definition stored as rich text is shown read-only, so its formatting is never replaced by
// plain text.

#include <QTextEdit>
#include <memory>

#include "DataSet.h"

class TDefinitionEdit : public QTextEdit {
  Q_OBJECT
 public:
  explicit TDefinitionEdit(QWidget* parent = nullptr);
  ~TDefinitionEdit() override;

  TDataSource* DataSource() const;
  void SetDataSource(TDataSource* source);
  QString DataField() const;
  void SetDataField(const QString& name);

  // The engine switches: advanced typography (justified paragraphs show justified only while it
  // is on) and justification of the selection's paragraphs.
  void SetAdvancedTypography(bool on) { advancedTypography_ = on; }
  bool AdvancedTypography() const { return advancedTypography_; }
  void JustifySelection();
  // The selection's font face and size in points.
  void SetSelFont(const QString& face, int points);

  bool StoredAsRichText() const { return richStored_; }

 protected:
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void LoadField();
  void UpdateReadOnly();

  std::unique_ptr<TFieldDataLink> link_;
  bool loading_ = false;
  bool typing_ = false;
  bool richStored_ = false;
  bool advancedTypography_ = false;
};
