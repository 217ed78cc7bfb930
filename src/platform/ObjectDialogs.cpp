#include "platform/ObjectDialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/DesktopApps.h"

namespace platform {

namespace {
TDialogRunner& Runner() {
  static TDialogRunner runner;
  return runner;
}
TFileChooser& Chooser() {
  static TFileChooser chooser;
  return chooser;
}
}  // namespace

TDialogRunner SetDialogRunner(TDialogRunner runner) {
  TDialogRunner previous = std::move(Runner());
  Runner() = std::move(runner);
  return previous;
}

int RunDialog(QDialog* dialog) {
  if (Runner()) return Runner()(dialog);
  return dialog->exec();
}

TFileChooser SetFileChooser(TFileChooser chooser) {
  TFileChooser previous = std::move(Chooser());
  Chooser() = std::move(chooser);
  return previous;
}

QString ChooseFile(QWidget* parent, const QString& caption, const QString& start, bool save) {
  if (Chooser()) return Chooser()(parent, caption, start, save);
  return save ? QFileDialog::getSaveFileName(parent, caption, start) : QFileDialog::getOpenFileName(parent, caption, start);
}

QString ChooseApplication(QWidget* parent, const QString& mimeType, const QString& fileName) {
  QDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("OpenWithDialog"));
  dialog.setWindowTitle(QObject::tr("Open With"));
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(QObject::tr("Open “%1” with:").arg(fileName), &dialog));
  auto* list = new QListWidget(&dialog);
  list->setObjectName(QStringLiteral("Applications"));
  for (const TDesktopApplication& app : ApplicationsFor(mimeType)) {
    auto* item = new QListWidgetItem(app.name, list);
    item->setData(Qt::UserRole, app.id);
    item->setToolTip(app.exec);
  }
  layout->addWidget(list);
  layout->addWidget(new QLabel(QObject::tr("Or a command:"), &dialog));
  auto* command = new QLineEdit(&dialog);
  command->setObjectName(QStringLiteral("Command"));
  layout->addWidget(command);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  layout->addWidget(buttons);
  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  auto refresh = [=] { ok->setEnabled(list->currentItem() != nullptr || !command->text().trimmed().isEmpty()); };
  QObject::connect(list, &QListWidget::currentItemChanged, &dialog, [=] {
    if (list->currentItem()) command->clear();
    refresh();
  });
  QObject::connect(command, &QLineEdit::textChanged, &dialog, [=](const QString& t) {
    if (!t.isEmpty()) list->setCurrentItem(nullptr);
    refresh();
  });
  QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (list->count() > 0) list->setCurrentRow(0);
  refresh();
  if (RunDialog(&dialog) != QDialog::Accepted) return {};
  if (!command->text().trimmed().isEmpty()) return command->text().trimmed();
  return list->currentItem() ? list->currentItem()->data(Qt::UserRole).toString() : QString();
}

}  // namespace platform
