#include "app/BookCommands.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>

#include "base/ScopeGuard.h"
#include "platform/Printer.h"
#include "platform/Question.h"
#include "richtext/editor/qvrich.h"
#include "richtext/editor/qvrichform.h"
#include "richtext/qvMeasure.h"
#include "richtext/qvriched.h"

namespace app {

namespace {

QString Extension(TBookCommands::Format f) {
  switch (f) {
    case TBookCommands::fmtPdf: return QStringLiteral(".pdf");
    case TBookCommands::fmtRtf: return QStringLiteral(".rtf");
    default: return QString();
  }
}

QString DefaultTarget(TBookCommands::Format f) {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (folder.isEmpty()) folder = QDir::homePath();
  return QDir(folder).filePath(book::DefaultTitle() + Extension(f));
}

// The export dialog: what, in which form, and where.
bool DefaultExportDialog(QWidget* parent, const QString& letter, const QString& query, TBookCommands::Choice& c,
                         richtext::TqvCustomRichEdit* pageSetup) {
  QDialog d(parent);
  d.setWindowTitle(QStringLiteral("Экспорт словаря"));
  auto* form = new QFormLayout(&d);
  auto* scope = new QComboBox(&d);
  scope->addItem(QStringLiteral("Весь словарь"), int(TBookCommands::scAll));
  if (!letter.isEmpty()) scope->addItem(QStringLiteral("Буква «%1»").arg(letter), int(TBookCommands::scLetter));
  if (!query.trimmed().isEmpty())
    scope->addItem(QStringLiteral("Найденное по запросу «%1»").arg(query.trimmed()), int(TBookCommands::scQuery));
  auto* format = new QComboBox(&d);
  format->addItem(QStringLiteral("PDF: книга для печати"), int(TBookCommands::fmtPdf));
  format->addItem(QStringLiteral("Веб-страницы: папка"), int(TBookCommands::fmtHtml));
  format->addItem(QStringLiteral("Веб-страница: одна"), int(TBookCommands::fmtHtmlSinglePage));
  format->addItem(QStringLiteral("RTF: один документ"), int(TBookCommands::fmtRtf));
  auto* columns = new QSpinBox(&d);
  columns->setRange(1, 2);
  columns->setValue(c.columns);
  auto* path = new QLineEdit(DefaultTarget(TBookCommands::fmtPdf), &d);
  path->setMinimumWidth(360);
  auto* browse = new QPushButton(QStringLiteral("&Обзор…"), &d);
  auto* row = new QHBoxLayout;
  row->addWidget(path, 1);
  row->addWidget(browse);
  auto* page = new QPushButton(QStringLiteral("&Параметры страницы…"), &d);
  form->addRow(QStringLiteral("&Что:"), scope);
  form->addRow(QStringLiteral("&Формат:"), format);
  form->addRow(QStringLiteral("&Колонки:"), columns);
  form->addRow(QStringLiteral("&Куда:"), row);
  form->addRow(QString(), page);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &d);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Экспорт"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
  form->addRow(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);

  const auto chosenFormat = [&] { return TBookCommands::Format(format->currentData().toInt()); };
  QObject::connect(format, &QComboBox::currentIndexChanged, &d, [&] {
    const TBookCommands::Format f = chosenFormat();
    const bool paper = f == TBookCommands::fmtPdf;
    columns->setEnabled(paper);
    page->setEnabled(paper && pageSetup);
    // The name follows the format: a file's extension, or a folder without one.
    QFileInfo fi(path->text());
    path->setText(fi.dir().filePath(fi.completeBaseName() + Extension(f)));
  });
  QObject::connect(browse, &QPushButton::clicked, &d, [&] {
    const TBookCommands::Format f = chosenFormat();
    QString chosen;
    if (f == TBookCommands::fmtHtml || f == TBookCommands::fmtHtmlSinglePage) {
      chosen = QFileDialog::getSaveFileName(&d, QStringLiteral("Папка для веб-страниц"), path->text(), QString(), nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    } else {
      const QString filter = f == TBookCommands::fmtPdf ? QStringLiteral("PDF (*.pdf)") : QStringLiteral("RTF (*.rtf)");
      chosen = QFileDialog::getSaveFileName(&d, QStringLiteral("Экспорт словаря"), path->text(), filter, nullptr,
                                            QFileDialog::DontConfirmOverwrite);
      if (!chosen.isEmpty() && QFileInfo(chosen).suffix().isEmpty()) chosen += Extension(f);
    }
    if (!chosen.isEmpty()) path->setText(chosen);
  });
  QObject::connect(page, &QPushButton::clicked, &d, [&] {
    richtext::TqvPageSetupDialog setup(&d);
    setup.SetTargetEdit(pageSetup);
    setup.Execute();
  });
  page->setEnabled(pageSetup != nullptr);
  if (d.exec() != QDialog::Accepted || path->text().trimmed().isEmpty()) return false;
  c.format = chosenFormat();
  c.scope = TBookCommands::Scope(scope->currentData().toInt());
  c.columns = columns->value();
  c.path = path->text().trimmed();
  return true;
}

}  // namespace

TBookCommands::ExportDialog& TBookCommands::ExportDialogHook() {
  static ExportDialog hook;
  return hook;
}

TBookCommands::TBookCommands(const Targets& targets, QWidget* window) : QObject(window), targets_(targets), window_(window) {
  ExportAction = new QAction(QStringLiteral("Экспорт…"), this);
  ExportAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B));
  ExportAction->setShortcutContext(Qt::WindowShortcut);
  ExportAction->setToolTip(QStringLiteral("Словарь, букву или найденное — в PDF, веб-страницы или RTF (Ctrl+Shift+B)"));
  connect(ExportAction, &QAction::triggered, this, [this] { Export(); });
  PrintAction = new QAction(QStringLiteral("Печать словаря…"), this);
  PrintAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
  PrintAction->setShortcutContext(Qt::WindowShortcut);
  connect(PrintAction, &QAction::triggered, this, [this] { Print(); });
  // The shortcuts work anywhere in the window.
  window->addAction(ExportAction);
  window->addAction(PrintAction);
}

void TBookCommands::Attach(QWidget* widget) {
  widget->addAction(ExportAction);
  widget->addAction(PrintAction);
  widget->setContextMenuPolicy(Qt::ActionsContextMenu);
}

book::BookOptions TBookCommands::Options(const Choice& c, const book::Selection& s) const {
  book::BookOptions o;
  o.columns = c.columns;
  if (!s.letter.isEmpty()) o.description = QStringLiteral("Буква %1").arg(s.letter);
  if (!s.query.isEmpty()) o.description = QStringLiteral("Найденное по запросу «%1»").arg(s.query);
  if (targets_.pageSetup) {
    const richtext::TqvPrintMargins& m = targets_.pageSetup->PrintMargins();
    const auto tw = [&](double v) { return richtext::MeasureValueToTwips(targets_.pageSetup->MeasurementUnits(), v); };
    o.marginLeftTw = tw(m.Left);
    o.marginTopTw = tw(m.Top);
    o.marginRightTw = tw(m.Right);
    o.marginBottomTw = tw(m.Bottom);
  }
  o.singlePage = c.format == fmtHtmlSinglePage;
  return o;
}

bool TBookCommands::Run(const QString& title,
                        const std::function<book::Result(book::BookSource&, const std::vector<book::BookLetter>&,
                                                         const book::Progress&)>& work,
                        const book::Selection& selection, bool* cancelled) {
  *cancelled = false;
  // The book is read from the tables: a change still in the grid or the definition goes first.
  if (targets_.storePending && !targets_.storePending()) return false;
  book::BookSource source;
  QString error;
  std::vector<book::BookLetter> plan;
  if (!source.Open(targets_.folder, &error) || !source.Plan(selection, &plan, &error)) {
    platform::ShowError(error, platform::ApplicationTitle(), window_);
    return false;
  }
  if (plan.empty()) {
    platform::Inform(QStringLiteral("Ни один термин не подходит: записывать нечего."), platform::ApplicationTitle(),
                     platform::Icon::Information, window_);
    return false;
  }
  QProgressDialog progress(title, QStringLiteral("Отмена"), 0, book::TermCount(plan), window_);
  progress.setWindowTitle(platform::ApplicationTitle());
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(400);
  progress.setAutoClose(false);
  progress.setAutoReset(false);
  const book::Progress report = [&](int done, int total) {
    if (progress.maximum() != total) progress.setMaximum(total);
    progress.setValue(std::min(done, total));
    QCoreApplication::processEvents();
    return !progress.wasCanceled();
  };
  const book::Result r = work(source, plan, report);
  progress.close();
  if (r.outcome == book::Outcome::Cancelled) {
    *cancelled = true;
    platform::Inform(QStringLiteral("Отменено: ничего не записано."), platform::ApplicationTitle(),
                     platform::Icon::Information, window_);
    return false;
  }
  if (!r.Ok()) {
    platform::ShowError(r.message, platform::ApplicationTitle(), window_);
    return false;
  }
  return true;
}

void TBookCommands::Export() {
  const QString letter = targets_.letter ? targets_.letter() : QString();
  const QString query = targets_.query ? targets_.query().trimmed() : QString();
  Choice c;
  const bool chosen = ExportDialogHook() ? ExportDialogHook()(window_, letter, query, c)
                                         : DefaultExportDialog(window_, letter, query, c, targets_.pageSetup);
  if (!chosen) return;
  book::Selection s;
  if (c.scope == scLetter) s.letter = letter;
  if (c.scope == scQuery) s.query = query;
  book::BookOptions o = Options(c, s);
  const QFileInfo target(c.path);
  const bool html = c.format == fmtHtml || c.format == fmtHtmlSinglePage;
  const bool occupied = target.exists() && (!html || !QDir(c.path).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
  if (occupied) {
    if (html && !target.isDir()) {
      platform::ShowError(QStringLiteral("«%1» — файл, а не папка.").arg(QDir::toNativeSeparators(c.path)),
                          platform::ApplicationTitle(), window_);
      return;
    }
    const QString what = html ? QStringLiteral("Папка «%1» не пуста. Заменить её содержимое?")
                              : QStringLiteral("Файл «%1» уже существует. Заменить его?");
    if (!platform::Confirm(what.arg(QDir::toNativeSeparators(c.path)), platform::ApplicationTitle(), window_)) return;
    o.overwrite = true;
  }
  bool cancelled = false;
  Run(QStringLiteral("Экспорт словаря…"),
      [&](book::BookSource& source, const std::vector<book::BookLetter>& plan, const book::Progress& progress) {
        switch (c.format) {
          case fmtPdf: return book::WritePdf(source, plan, o, c.path, progress);
          case fmtRtf: return book::WriteRtf(source, plan, o, c.path, progress);
          default: return book::WriteHtml(source, plan, o, c.path, progress);
        }
      },
      s, &cancelled);
}

void TBookCommands::Print() {
  platform::TPrinter& p = platform::Printer();
  if (p.Printers().isEmpty()) {
    platform::ShowError(platform::TPrinter::NoPrinterMessage(), platform::ApplicationTitle(), window_);
    return;
  }
  richtext::TqvPrintChoice choice;
  choice.PrinterIndex = std::max(0, p.PrinterIndex());
  choice.PdfFile = p.OutputFileName();
  if (!richtext::EditorDialogs().Print(window_, choice)) return;
  const bool selected = platform::Guarded(
      [&] {
        p.SetPrinterIndex(choice.PrinterIndex);
        if (p.IsPdfPrinter()) p.SetOutputFileName(choice.PdfFile);
      },
      window_);
  if (!selected) return;
  Choice c;
  const book::BookOptions o = Options(c, {});
  bool cancelled = false;
  Run(QStringLiteral("Печать словаря…"),
      [&](book::BookSource& source, const std::vector<book::BookLetter>& plan, const book::Progress& progress) {
        return book::PrintBook(source, plan, o, p, progress);
      },
      {}, &cancelled);
}

}  // namespace app
