// Exporting and importing terms from the glossary window: the items on the term grid's context
// menu and what they do.

#include "app/Unit1.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>

#include "app/ImportReview.h"
#include "app/SearchBox.h"
#include "base/ScopeGuard.h"
#include "data/DBGrid.h"
#include "data/DataSet.h"
#include "exchange/Export.h"
#include "exchange/Import.h"
#include "platform/Question.h"

namespace app {

namespace {

const QString kExportCaption = QStringLiteral("Экспорт терминов");
const QString kImportCaption = QStringLiteral("Импорт терминов");

QString Folder(TForm1* form) { return form->Table2->DatabaseName(); }

}  // namespace

void InstallExchangeActions(TForm1* form) {
  auto* exportAction = new QAction(QStringLiteral("Экспорт терминов (TBX, CSV)…"), form->DBGrid1);
  exportAction->setObjectName(QStringLiteral("ExportTermsAction"));
  exportAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
  exportAction->setShortcutContext(Qt::WindowShortcut);
  QObject::connect(exportAction, &QAction::triggered, form, [form] { ExportTerms(form); });
  auto* importAction = new QAction(QStringLiteral("Импорт терминов…"), form->DBGrid1);
  importAction->setObjectName(QStringLiteral("ImportTermsAction"));
  importAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I));
  importAction->setShortcutContext(Qt::WindowShortcut);
  QObject::connect(importAction, &QAction::triggered, form, [form] { ImportTerms(form); });
  form->DBGrid1->addAction(exportAction);
  form->DBGrid1->addAction(importAction);
  form->DBGrid1->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void ExportTerms(TForm1* form) {
  exchange::Selection selection;
  const QString letter = form->Table1->Active() ? form->Table1LetterMaster->AsString() : QString();
  const bool hasTerm = form->Table2->Active() && !form->Table2->IsEmpty();
  const QString term = hasTerm ? form->Table2WordDetail->AsString() : QString();
  QStringList scopes{QStringLiteral("Весь словарь")};
  if (!letter.isEmpty()) scopes << QStringLiteral("Буква %1").arg(letter);
  if (hasTerm) scopes << QStringLiteral("Термин «%1»").arg(term);
  const QString query = form->SearchBox1 ? form->SearchBox1->text().trimmed() : QString();
  if (!query.isEmpty() && form->SearchBox1->Service()) scopes << QStringLiteral("Найденное поиском «%1»").arg(query);
  bool ok = false;
  const QString scope = QInputDialog::getItem(form, kExportCaption, QStringLiteral("Что экспортировать:"), scopes, 0,
                                              false, &ok);
  if (!ok) return;
  if (scope.startsWith(QStringLiteral("Буква"))) selection.letter = letter;
  if (scope.startsWith(QStringLiteral("Термин"))) {
    selection.byKey = true;
    selection.keys.insert(form->Table2IDDetail->AsInteger());
  }
  if (scope.startsWith(QStringLiteral("Найденное"))) {
    const search::FindResult found = form->SearchBox1->Service()->Find(query);
    if (!found.error.isEmpty()) {
      platform::ShowError(found.error, kExportCaption, form);
      return;
    }
    selection.byKey = true;
    for (const search::Hit& h : found.hits) selection.keys.insert(h.id);
  }
  const QString tbx = QStringLiteral("TBX (*.tbx)"), csv = QStringLiteral("CSV, UTF-8 (*.csv)"),
                markup = QStringLiteral("Исходная разметка (папка)");
  QString filter = tbx;
  QString path = QFileDialog::getSaveFileName(form, kExportCaption, QDir::homePath(),
                                              QStringList{tbx, csv, markup}.join(QStringLiteral(";;")), &filter);
  if (path.isEmpty()) return;
  exchange::Format format = filter == csv ? exchange::Format::Csv : exchange::Format::Tbx;
  if (filter == markup) {
    format = exchange::Format::Markup;
    if (QFileInfo(path).isDir() && !QDir(path).isEmpty() &&
        !platform::Confirm(QStringLiteral("Папка %1 не пуста. Записать файлы букв поверх того, что там есть?")
                               .arg(QDir::toNativeSeparators(path)),
                           kExportCaption, form))
      return;
  } else {
    const QString suffix = format == exchange::Format::Csv ? QStringLiteral(".csv") : QStringLiteral(".tbx");
    if (QFileInfo(path).suffix().isEmpty()) path += suffix;
  }
  base::WaitCursor wait;
  QList<exchange::Term> terms;
  QStringList notes;
  QString error;
  if (!exchange::ReadGlossaryTerms(Folder(form), selection, &terms, &error) ||
      !exchange::WriteTerms(terms, format, path, &notes, &error)) {
    platform::ShowError(error, kExportCaption, form);
    return;
  }
  QString text = QStringLiteral("Экспортировано терминов: %1\n%2").arg(terms.size()).arg(QDir::toNativeSeparators(path));
  for (const QString& n : notes) text += QLatin1Char('\n') + n;
  platform::Inform(text, kExportCaption, platform::Icon::Information, form);
}

void ImportTerms(TForm1* form, const QString& given) {
  QString path = given;
  if (path.isEmpty())
    path = QFileDialog::getOpenFileName(form, kImportCaption, QDir::homePath(),
                                        QStringLiteral("Термины (*.tbx *.xml *.csv);;Все файлы (*)"));
  if (path.isEmpty()) return;
  // A pending edit of the current term is stored first, so the file is compared with it.
  if (!platform::Guarded([form] { form->Table2->CheckBrowseMode(); }, form)) return;
  // The review reads the file and compares it with the glossary while it shows progress.
  TImportReview review(Folder(form), path, form);
  const bool stored = review.exec() == QDialog::Accepted;
  platform::Guarded(
      [form, stored] {
        if (stored) {
          form->Table2->Refresh();
          if (form->SearchBox1 && form->SearchBox1->Service()) form->SearchBox1->Service()->CheckForChanges();
        }
        if (form->Table2->CanModify()) form->Table2->Edit();
      },
      form);
}

}  // namespace app
