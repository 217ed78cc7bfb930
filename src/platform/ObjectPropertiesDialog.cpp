#include "platform/ObjectPropertiesDialog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace platform {

namespace {
QLabel* Value(const QString& text, QWidget* parent, const char* name) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QLatin1String(name));
  l->setTextInteractionFlags(Qt::TextSelectableByMouse);
  l->setWordWrap(true);
  return l;
}
}  // namespace

TObjectPropertiesDialog::TObjectPropertiesDialog(OLEUIOBJECTPROPS& props, QWidget* parent)
    : QDialog(parent), props_(props) {
  setObjectName(QStringLiteral("ObjectPropertiesDialog"));
  QString label, type, shortType, location;
  DWORD size = DWORD(-1);
  if (props.lpObjInfo) props.lpObjInfo->GetObjectInfo(props.dwObject, &size, &label, &type, &shortType, &location);
  QString caption = props.lpPS && !props.lpPS->pszCaption.isEmpty() ? props.lpPS->pszCaption : tr("%s Properties");
  caption.replace(QLatin1String("%s"), type);
  setWindowTitle(caption);
  auto* layout = new QVBoxLayout(this);
  auto* tabs = new QTabWidget(this);
  tabs->setObjectName(QStringLiteral("Pages"));
  layout->addWidget(tabs);

  // General
  auto* general = new QWidget(tabs);
  auto* form = new QFormLayout(general);
  form->addRow(tr("Type:"), Value(type, general, "Type"));
  form->addRow(tr("Size:"), Value(size == DWORD(-1) ? tr("Unknown") : QLocale().formattedDataSize(size), general, "Size"));
  form->addRow(tr("Location:"), Value(location, general, "Location"));
  auto* convert = new QPushButton(tr("&Convert..."), general);
  convert->setObjectName(QStringLiteral("Convert"));
  // Objects keep the type they were made with.
  convert->setEnabled(false);
  convert->setVisible(!(props.dwFlags & OPF_DISABLECONVERT));
  form->addRow(QString(), convert);
  tabs->addTab(general, tr("General"));

  // View
  if (props.lpObjInfo) props.lpObjInfo->GetViewInfo(props.dwObject, &iconPicture_, &aspect_, &scale_);
  auto* view = new QWidget(tabs);
  auto* viewLayout = new QHBoxLayout(view);
  auto* choices = new QVBoxLayout;
  asContent_ = new QRadioButton(tr("Display as &editable information"), view);
  asContent_->setObjectName(QStringLiteral("ViewContent"));
  asIcon_ = new QRadioButton(tr("Display as &icon"), view);
  asIcon_->setObjectName(QStringLiteral("ViewIcon"));
  (aspect_ == DVASPECT_ICON ? asIcon_ : asContent_)->setChecked(true);
  choices->addWidget(asContent_);
  choices->addWidget(asIcon_);
  auto* scaleRow = new QHBoxLayout;
  auto* scaleLabel = new QLabel(tr("&Scale:"), view);
  scaleRow->addWidget(scaleLabel);
  scaleBox_ = new QSpinBox(view);
  scaleBox_->setObjectName(QStringLiteral("Scale"));
  // A label shows its '&' as the underlined key only with a control for that key to reach.
  scaleLabel->setBuddy(scaleBox_);
  scaleBox_->setRange(1, 1000);
  scaleBox_->setSuffix(QStringLiteral("%"));
  scaleBox_->setValue(scale_ > 0 ? scale_ : 100);
  scaleBox_->setEnabled(!(props.lpVP && (props.lpVP->dwFlags & VPF_DISABLESCALE)));
  scaleRow->addWidget(scaleBox_);
  scaleRow->addStretch();
  choices->addLayout(scaleRow);
  choices->addStretch();
  viewLayout->addLayout(choices, 1);
  auto* icon = new QLabel(view);
  icon->setObjectName(QStringLiteral("IconPreview"));
  icon->setMinimumSize(84, 72);
  icon->setAlignment(Qt::AlignCenter);
  if (!iconPicture_.isNull()) icon->setPixmap(QPixmap::fromImage(iconPicture_));
  viewLayout->addWidget(icon);
  tabs->addTab(view, tr("View"));

  // Link
  if ((props.dwFlags & OPF_OBJECTISLINK) && props.lpLinkInfo) {
    const DWORD flags = props.lpLP ? props.lpLP->dwFlags : 0;
    auto* link = new QWidget(tabs);
    auto* linkForm = new QFormLayout(link);
    linkSource_ = Value(QString(), link, "LinkSource");
    lastUpdate_ = Value(QString(), link, "LastUpdate");
    linkForm->addRow(tr("Link source:"), linkSource_);
    linkForm->addRow(tr("Last update:"), lastUpdate_);
    automatic_ = new QRadioButton(tr("&Automatically"), link);
    automatic_->setObjectName(QStringLiteral("UpdateAutomatic"));
    manual_ = new QRadioButton(tr("&Manually"), link);
    manual_->setObjectName(QStringLiteral("UpdateManual"));
    auto* updateRow = new QHBoxLayout;
    updateRow->addWidget(automatic_);
    updateRow->addWidget(manual_);
    linkForm->addRow(tr("Update:"), updateRow);
    props.lpLinkInfo->GetLinkUpdateOptions(props.dwLink, &updateOptions_);
    (updateOptions_ == OLEUPDATE_ONCALL ? manual_ : automatic_)->setChecked(true);
    auto* buttons = new QHBoxLayout;
    auto add = [&](const QString& text, const char* name, bool enabled) {
      auto* b = new QPushButton(text, link);
      b->setObjectName(QLatin1String(name));
      b->setEnabled(enabled);
      buttons->addWidget(b);
      return b;
    };
    QPushButton* open = add(tr("&Open Source"), "OpenSource", !(flags & ELF_DISABLEOPENSOURCE));
    QPushButton* update = add(tr("&Update Now"), "UpdateNow", !(flags & ELF_DISABLEUPDATENOW));
    QPushButton* change = add(tr("&Change Source..."), "ChangeSource", !(flags & ELF_DISABLECHANGESOURCE));
    QPushButton* cancel = add(tr("&Break Link"), "BreakLink", !(flags & ELF_DISABLECANCELLINK));
    linkForm->addRow(buttons);
    connect(open, &QPushButton::clicked, this, [this] { props_.lpLinkInfo->OpenLinkSource(props_.dwLink); });
    connect(update, &QPushButton::clicked, this, [this] {
      props_.lpLinkInfo->UpdateLink(props_.dwLink, true, false);
      ShowLink();
    });
    connect(change, &QPushButton::clicked, this, &TObjectPropertiesDialog::ChangeSource);
    connect(cancel, &QPushButton::clicked, this, [this] { props_.lpLinkInfo->CancelLink(props_.dwLink); });
    ShowLink();
    tabs->addTab(link, tr("Link"));
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TObjectPropertiesDialog::ShowLink() {
  if (!linkSource_) return;
  QString name;
  props_.lpLinkInfo->GetLinkSource(props_.dwLink, &name, nullptr, nullptr, nullptr, nullptr, nullptr);
  linkSource_->setText(name);
  QDateTime last;
  props_.lpLinkInfo->GetLastUpdate(props_.dwLink, &last);
  lastUpdate_->setText(last.isValid() ? QLocale().toString(last, QLocale::ShortFormat) : tr("Unknown"));
}

void TObjectPropertiesDialog::ChangeSource() {
  QString current;
  props_.lpLinkInfo->GetLinkSource(props_.dwLink, &current, nullptr, nullptr, nullptr, nullptr, nullptr);
  const QString name = ChooseFile(this, tr("Change Source"), current, false);
  if (name.isEmpty()) return;
  ULONG eaten = 0;
  // Only an existing file is a valid source; the container says so for any other.
  props_.lpLinkInfo->SetLinkSource(props_.dwLink, name, ULONG(name.size()), &eaten, QFileInfo(name).isFile());
  ShowLink();
}

HRESULT TObjectPropertiesDialog::ApplyView() {
  const DWORD aspect = asIcon_->isChecked() ? DVASPECT_ICON : DVASPECT_CONTENT;
  const int scale = scaleBox_->value();
  if (!props_.lpObjInfo || (aspect == aspect_ && scale == scale_)) return S_OK;
  const HRESULT hr = props_.lpObjInfo->SetViewInfo(props_.dwObject, iconPicture_, aspect, scale, false);
  if (hr >= 0) {
    aspect_ = aspect;
    scale_ = scale;
  }
  return hr;
}

void TObjectPropertiesDialog::accept() {
  if (manual_ && props_.lpLinkInfo) {
    const DWORD options = manual_->isChecked() ? OLEUPDATE_ONCALL : OLEUPDATE_ALWAYS;
    if (options != updateOptions_ && props_.lpLinkInfo->SetLinkUpdateOptions(props_.dwLink, options) >= 0)
      updateOptions_ = options;
  }
  ApplyView();
  QDialog::accept();
}

unsigned OleUIObjectProperties(OLEUIOBJECTPROPS& props) {
  TObjectPropertiesDialog dialog(props, props.lpPS ? props.lpPS->hwndParent : nullptr);
  return RunDialog(&dialog) == QDialog::Accepted ? OLEUI_OK : OLEUI_CANCEL;
}

}  // namespace platform
