#include "platform/InsertObjectDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeDatabase>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "platform/Question.h"

namespace platform {

TInsertObjectDialog::TInsertObjectDialog(OLEUIINSERTOBJECT& io, QWidget* parent) : QDialog(parent), io_(io) {
  setObjectName(QStringLiteral("InsertObjectDialog"));
  setWindowTitle(io.lpszCaption.isEmpty() ? tr("Insert Object") : io.lpszCaption);
  auto* outer = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  createNew_ = new QRadioButton(tr("Create &New"), this);
  createNew_->setObjectName(QStringLiteral("CreateNew"));
  fromFile_ = new QRadioButton(tr("Create from &File"), this);
  fromFile_->setObjectName(QStringLiteral("CreateFromFile"));
  left->addWidget(createNew_);
  left->addWidget(fromFile_);
  left->addStretch();
  outer->addLayout(left);

  auto* right = new QVBoxLayout;
  pages_ = new QStackedWidget(this);
  auto* newPage = new QWidget(pages_);
  auto* newLayout = new QVBoxLayout(newPage);
  newLayout->setContentsMargins(0, 0, 0, 0);
  auto* typeLabel = new QLabel(tr("Object &Type:"), newPage);
  types_ = new QListWidget(newPage);
  types_->setObjectName(QStringLiteral("ObjectTypes"));
  typeLabel->setBuddy(types_);
  for (const TNewObjectType& t : TFileObject::CreatableTypes()) {
    auto* item = new QListWidgetItem(t.name, types_);
    item->setData(Qt::UserRole, t.mimeType);
  }
  types_->setCurrentRow(0);
  // As tall as its few types: the stack takes its taller page's height, and a list of the
  // default height left a large empty area under the file page's three rows.
  types_->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
  newLayout->addWidget(typeLabel);
  newLayout->addWidget(types_);
  pages_->addWidget(newPage);

  auto* filePage = new QWidget(pages_);
  auto* fileLayout = new QGridLayout(filePage);
  fileLayout->setContentsMargins(0, 0, 0, 0);
  auto* fileLabel = new QLabel(tr("Fi&le:"), filePage);
  file_ = new QLineEdit(io.szFile, filePage);
  file_->setObjectName(QStringLiteral("FileName"));
  file_->setMaxLength(io.cchFile > 0 ? io.cchFile : 256);
  fileLabel->setBuddy(file_);
  browse_ = new QPushButton(tr("&Browse..."), filePage);
  browse_->setObjectName(QStringLiteral("Browse"));
  link_ = new QCheckBox(tr("&Link"), filePage);
  link_->setObjectName(QStringLiteral("Link"));
  link_->setChecked(io.dwFlags & IOF_CHECKLINK);
  link_->setEnabled(!(io.dwFlags & IOF_DISABLELINK));
  fileLayout->addWidget(fileLabel, 0, 0, 1, 2);
  fileLayout->addWidget(file_, 1, 0);
  fileLayout->addWidget(browse_, 1, 1);
  fileLayout->addWidget(link_, 2, 0);
  fileLayout->setRowStretch(3, 1);
  pages_->addWidget(filePage);
  right->addWidget(pages_);

  auto* resultBox = new QGroupBox(tr("Result"), this);
  auto* resultLayout = new QHBoxLayout(resultBox);
  icon_ = new QLabel(resultBox);
  icon_->setObjectName(QStringLiteral("IconPreview"));
  icon_->setMinimumSize(84, 72);
  icon_->setAlignment(Qt::AlignCenter);
  result_ = new QLabel(resultBox);
  result_->setObjectName(QStringLiteral("ResultText"));
  result_->setWordWrap(true);
  result_->setMinimumWidth(260);
  resultLayout->addWidget(icon_);
  resultLayout->addWidget(result_, 1);
  right->addWidget(resultBox);
  outer->addLayout(right, 1);

  auto* side = new QVBoxLayout;
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
  side->addWidget(buttons);
  asIcon_ = new QCheckBox(tr("&Display As Icon"), this);
  asIcon_->setObjectName(QStringLiteral("DisplayAsIcon"));
  asIcon_->setChecked(io.dwFlags & IOF_CHECKDISPLAYASICON);
  asIcon_->setEnabled(!(io.dwFlags & IOF_DISABLEDISPLAYASICON));
  side->addStretch();
  side->addWidget(asIcon_);
  outer->addLayout(side);

  (io.dwFlags & IOF_SELECTCREATEFROMFILE ? fromFile_ : createNew_)->setChecked(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(browse_, &QPushButton::clicked, this, &TInsertObjectDialog::Browse);
  for (QAbstractButton* b : {static_cast<QAbstractButton*>(createNew_), static_cast<QAbstractButton*>(fromFile_),
                             static_cast<QAbstractButton*>(link_), static_cast<QAbstractButton*>(asIcon_)})
    connect(b, &QAbstractButton::toggled, this, &TInsertObjectDialog::Refresh);
  connect(types_, &QListWidget::currentRowChanged, this, &TInsertObjectDialog::Refresh);
  connect(types_, &QListWidget::itemDoubleClicked, this, &TInsertObjectDialog::accept);
  connect(file_, &QLineEdit::textChanged, this, &TInsertObjectDialog::Refresh);
  Refresh();
}

namespace {
// A type's name inside a sentence: "Plain text document" as "plain text document"; a name that
// begins with an acronym ("PNG image") keeps it.
QString InSentence(QString name) {
  if (name.size() > 1 && name[0].isUpper() && name[1].isLower()) name[0] = name[0].toLower();
  return name;
}
}  // namespace

QString TInsertObjectDialog::ResultText() const {
  const bool icon = asIcon_->isChecked();
  if (createNew_->isChecked()) {
    const QString type = types_->currentItem() ? InSentence(types_->currentItem()->text()) : tr("object");
    return icon ? tr("Inserts a new, empty %1 shown as an icon, and opens it in its application for you to fill in.").arg(type)
                : tr("Inserts a new, empty %1 and opens it in its application for you to fill in.").arg(type);
  }
  if (link_->isChecked())
    return icon ? tr("Inserts an icon that stands for the file and links to it: opening the icon opens the file "
                     "itself, and the definition keeps only its place.")
                : tr("Inserts a picture of the file that links to it: opening it opens the file itself, and "
                     "the definition keeps only its place.");
  return icon ? tr("Inserts the file, kept whole inside the definition, shown as an icon. Opening it edits a "
                   "copy whose saved changes come back into the definition.")
              : tr("Inserts the file, kept whole inside the definition and shown as its picture or icon. Opening "
                   "it edits a copy whose saved changes come back into the definition.");
}

void TInsertObjectDialog::Refresh() {
  pages_->setCurrentIndex(createNew_->isChecked() ? 0 : 1);
  result_->setText(ResultText());
  QString mime, label;
  if (createNew_->isChecked()) {
    mime = types_->currentItem() ? types_->currentItem()->data(Qt::UserRole).toString() : QString();
    label = types_->currentItem() ? types_->currentItem()->text() : QString();
  } else if (!file_->text().trimmed().isEmpty()) {
    const QFileInfo fi(file_->text().trimmed());
    mime = QMimeDatabase().mimeTypeForFile(fi, QMimeDatabase::MatchExtension).name();
    label = fi.fileName();
  }
  if (asIcon_->isChecked() && !mime.isEmpty()) icon_->setPixmap(QPixmap::fromImage(IconOfType(mime, label)));
  else icon_->clear();
}

void TInsertObjectDialog::Browse() {
  const QString name = ChooseFile(this, tr("Browse"), file_->text(), false);
  if (!name.isEmpty()) file_->setText(name);
}

bool TInsertObjectDialog::MakeObject() {
  io_.error.clear();
  io_.object.reset();
  io_.dwFlags &= ~(IOF_SELECTCREATENEW | IOF_SELECTCREATEFROMFILE | IOF_CHECKLINK | IOF_CHECKDISPLAYASICON);
  io_.dwFlags |= createNew_->isChecked() ? IOF_SELECTCREATENEW : IOF_SELECTCREATEFROMFILE;
  if (fromFile_->isChecked() && link_->isChecked()) io_.dwFlags |= IOF_CHECKLINK;
  if (asIcon_->isChecked()) io_.dwFlags |= IOF_CHECKDISPLAYASICON;
  std::unique_ptr<TFileObject> made;
  if (createNew_->isChecked()) {
    if (!types_->currentItem()) {
      io_.error = tr("Choose the type of the new object.");
      return false;
    }
    io_.clsid = types_->currentItem()->data(Qt::UserRole).toString();
    if (io_.dwFlags & IOF_CREATENEWOBJECT) made = TFileObject::CreateNew(io_.clsid, &io_.error);
  } else {
    io_.szFile = file_->text().trimmed();
    if (io_.szFile.isEmpty()) {
      io_.error = tr("Type the name of a file, or choose one with Browse.");
      return false;
    }
    const QFileInfo fi(io_.szFile);
    if (!fi.isFile()) {
      io_.error = tr("The file “%1” does not exist.").arg(io_.szFile);
      return false;
    }
    io_.clsid = QMimeDatabase().mimeTypeForFile(fi).name();
    const bool link = io_.dwFlags & IOF_CHECKLINK;
    if (io_.dwFlags & (link ? IOF_CREATELINKOBJECT : IOF_CREATEFILEOBJECT))
      made = TFileObject::FromFile(io_.szFile, link, &io_.error);
  }
  const bool wanted = io_.dwFlags & (createNew_->isChecked() ? IOF_CREATENEWOBJECT
                                                              : ((io_.dwFlags & IOF_CHECKLINK) ? IOF_CREATELINKOBJECT
                                                                                               : IOF_CREATEFILEOBJECT));
  if (wanted && !made) return false;
  if (made && asIcon_->isChecked()) {
    made->SetIconic(true);
    io_.hMetaPict = made->IconPicture();
  } else if (asIcon_->isChecked()) {
    io_.hMetaPict = IconOfType(io_.clsid, createNew_->isChecked() ? types_->currentItem()->text() : QFileInfo(io_.szFile).fileName());
  }
  io_.object = std::move(made);
  return true;
}

void TInsertObjectDialog::accept() {
  if (!MakeObject()) {
    ShowError(io_.error, windowTitle(), this);
    return;
  }
  QDialog::accept();
}

unsigned OleUIInsertObject(OLEUIINSERTOBJECT& io) {
  TInsertObjectDialog dialog(io, io.hWndOwner);
  if (RunDialog(&dialog) != QDialog::Accepted) {
    io.object.reset();
    return OLEUI_CANCEL;
  }
  // A runner may close the dialog without its OK handling: the object is made here then.
  const DWORD wanted = IOF_CREATENEWOBJECT | IOF_CREATEFILEOBJECT | IOF_CREATELINKOBJECT;
  if (!io.object && (io.dwFlags & wanted) && !dialog.MakeObject()) {
    ShowError(io.error, dialog.windowTitle(), io.hWndOwner);
    return OLEUI_IOERR_SCODEHASERROR;
  }
  return OLEUI_OK;
}

}  // namespace platform
