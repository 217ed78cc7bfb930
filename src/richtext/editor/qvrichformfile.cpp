// The editor window's file commands: load, save as, save and exit, print and page setup, and the
// file and print dialogs they run unless a test installs its own.

#include <QCoreApplication>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <optional>

#include "base/Exception.h"
#include "platform/Printer.h"
#include "platform/Question.h"
#include "richtext/editor/qvrich.h"
#include "richtext/editor/qvrichform.h"
#include "richtext/qvRulerPanel.h"

using namespace engine;

namespace richtext {

namespace {

// Files above this size (about a second and a half of reading) show a progress window.
constexpr qint64 kProgressFileSize = 1024 * 1024;
constexpr qint64 kReadChunk = 1024 * 1024;

const QString kFileFilter = QCoreApplication::translate("Editor", "Rich Text Files (*.RTF)|*.RTF|Text Files (*.TXT)|*.TXT");

// The window's filter "text|pattern|text|pattern" as file dialog filters. Patterns match either
// letter case, as file names on this desktop are case-sensitive.
QStringList DialogFilters(const QString& Filter) {
  const QStringList Parts = Filter.split(QLatin1Char('|'));
  QStringList R;
  for (int I = 0; I + 1 < Parts.size(); I += 2) {
    QString Text = Parts[I];
    const QString Pattern = Parts[I + 1];
    const int Paren = Text.lastIndexOf(QLatin1Char('('));
    if (Paren > 0) Text = Text.left(Paren).trimmed();
    QString Patterns = Pattern;
    if (Pattern.toLower() != Pattern) Patterns += QLatin1Char(' ') + Pattern.toLower();
    R << QStringLiteral("%1 (%2)").arg(Text, Patterns);
  }
  return R;
}

QString DefaultOpen(QWidget* Parent, const QString& Filter, int& FilterIndex) {
  QFileDialog D(Parent);
  D.setAcceptMode(QFileDialog::AcceptOpen);
  D.setFileMode(QFileDialog::ExistingFile);
  const QStringList Filters = DialogFilters(Filter);
  D.setNameFilters(Filters);
  if (D.exec() != QDialog::Accepted || D.selectedFiles().isEmpty()) return QString();
  FilterIndex = int(Filters.indexOf(D.selectedNameFilter())) + 1;
  return D.selectedFiles().constFirst();
}

QString DefaultSave(QWidget* Parent, const QString& Filter, const QString& DefaultExt, int& FilterIndex) {
  QFileDialog D(Parent);
  D.setAcceptMode(QFileDialog::AcceptSave);
  D.setFileMode(QFileDialog::AnyFile);
  // The window asks before replacing a file, once.
  D.setOption(QFileDialog::DontConfirmOverwrite);
  const QStringList Filters = DialogFilters(Filter);
  D.setNameFilters(Filters);
  D.setDefaultSuffix(DefaultExt);
  // A name typed without an extension takes the chosen kind's.
  QObject::connect(&D, &QFileDialog::filterSelected, &D, [&D, Filters, DefaultExt](const QString& F) {
    D.setDefaultSuffix(Filters.indexOf(F) == 1 ? QStringLiteral("txt") : DefaultExt);
  });
  if (D.exec() != QDialog::Accepted || D.selectedFiles().isEmpty()) return QString();
  FilterIndex = int(Filters.indexOf(D.selectedNameFilter())) + 1;
  return D.selectedFiles().constFirst();
}

// The print dialog over the program's printers: which printer, the file for the PDF printer,
// and how many copies (each printed whole, one after the other).
bool DefaultPrint(QWidget* Parent, TqvPrintChoice& Choice) {
  platform::TPrinter& P = platform::Printer();
  const QStringList Printers = P.Printers();
  QDialog D(Parent);
  D.setWindowTitle(QCoreApplication::translate("Editor", "Print"));
  auto* Form = new QFormLayout;
  auto* PrinterBox = new QComboBox(&D);
  PrinterBox->addItems(Printers);
  PrinterBox->setCurrentIndex(qBound(0, Choice.PrinterIndex, int(Printers.size()) - 1));
  auto* File = new QLineEdit(Choice.PdfFile, &D);
  File->setPlaceholderText(QCoreApplication::translate("Editor", "A new file in the Documents folder"));
  File->setMinimumWidth(File->fontMetrics().horizontalAdvance(File->placeholderText()) + 16);
  auto* Browse = new QPushButton(QCoreApplication::translate("Editor", "&Browse..."), &D);
  auto* FileRow = new QHBoxLayout;
  FileRow->addWidget(File, 1);
  FileRow->addWidget(Browse);
  auto* Copies = new QSpinBox(&D);
  Copies->setRange(1, 99);
  Copies->setValue(qMax(1, Choice.Copies));
  auto* Collate = new QCheckBox(QCoreApplication::translate("Editor", "C&ollate"), &D);
  Collate->setChecked(Choice.Collate);
  // Copies are printed whole, one after another.
  Collate->setEnabled(false);
  auto* CopiesRow = new QHBoxLayout;
  CopiesRow->addWidget(Copies);
  CopiesRow->addWidget(Collate);
  CopiesRow->addStretch();
  // Labels of their own: a row whose field is a layout gets no buddy, and its "&" would show.
  auto Row = [&](const QString& Caption, QWidget* Buddy, auto* Field) {
    auto* Label = new QLabel(Caption, &D);
    Label->setBuddy(Buddy);
    Form->addRow(Label, Field);
  };
  Row(QCoreApplication::translate("Editor", "&Printer:"), PrinterBox, PrinterBox);
  Row(QCoreApplication::translate("Editor", "&File:"), File, FileRow);
  Row(QCoreApplication::translate("Editor", "&Copies:"), Copies, CopiesRow);
  auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &D);
  auto* Layout = new QVBoxLayout(&D);
  Layout->addLayout(Form);
  Layout->addWidget(Buttons);
  auto Follow = [&] {
    const bool Pdf = PrinterBox->currentText() == platform::TPrinter::PdfPrinterName();
    File->setEnabled(Pdf);
    Browse->setEnabled(Pdf);
    Copies->setEnabled(!Pdf);
  };
  Follow();
  QObject::connect(PrinterBox, &QComboBox::currentIndexChanged, &D, Follow);
  // A name typed without a folder goes into the documents folder, one without an extension
  // gets ".pdf", as the file dialog would give them.
  const auto PdfPath = [](QString Name) {
    Name = Name.trimmed();
    if (Name.isEmpty()) return Name;
    if (QFileInfo(Name).isRelative()) Name = QDir(platform::TPrinter::PdfFolder()).filePath(Name);
    if (QFileInfo(Name).suffix().isEmpty()) Name += QStringLiteral(".pdf");
    return QDir::cleanPath(Name);
  };
  QObject::connect(Browse, &QPushButton::clicked, &D, [&] {
    QFileDialog F(&D, QCoreApplication::translate("Editor", "Print to File"));
    F.setAcceptMode(QFileDialog::AcceptSave);
    F.setFileMode(QFileDialog::AnyFile);
    F.setNameFilter(QCoreApplication::translate("Editor", "PDF files (*.pdf *.PDF)"));
    F.setDefaultSuffix(QStringLiteral("pdf"));
    // The file named so far, else the documents folder; never the program's working folder.
    const QString Current = PdfPath(File->text());
    if (Current.isEmpty()) F.setDirectory(platform::TPrinter::PdfFolder());
    else {
      F.setDirectory(QFileInfo(Current).absolutePath());
      F.selectFile(QFileInfo(Current).fileName());
    }
    if (F.exec() == QDialog::Accepted && !F.selectedFiles().isEmpty()) File->setText(F.selectedFiles().constFirst());
  });
  QObject::connect(Buttons, &QDialogButtonBox::accepted, &D, &QDialog::accept);
  QObject::connect(Buttons, &QDialogButtonBox::rejected, &D, &QDialog::reject);
  if (D.exec() != QDialog::Accepted) return false;
  Choice.PrinterIndex = PrinterBox->currentIndex();
  Choice.PdfFile = PdfPath(File->text());
  Choice.Copies = Copies->value();
  Choice.Collate = Collate->isChecked();
  return true;
}

}  // namespace

TqvEditorDialogs& EditorDialogs() {
  static TqvEditorDialogs Dialogs{DefaultOpen, DefaultSave, DefaultPrint};
  return Dialogs;
}

bool TqvRichEditForm::RaiseMenuEvent(const TqvRTFNotifyEvent& Event) {
  bool DoDefault = true;
  if (Event) Event(this, RichEdit1, DoDefault);
  return DoDefault;
}

void TqvRichEditForm::Load1Click() {
  if (!RaiseMenuEvent(SourceEdit->OnMenuLoadClick)) return;
  int FilterIndex = 1;
  const QString File = EditorDialogs().Open(this, kFileFilter, FilterIndex);
  if (File.isEmpty()) return;
  LoadFile(File);
  RichEdit1->setFocus(Qt::OtherFocusReason);
}

void TqvRichEditForm::LoadFile(const QString& FileName) {
  QFile F(FileName);
  if (!F.open(QIODevice::ReadOnly))
    throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2").arg(FileName, F.errorString()));
  QByteArray Bytes;
  const qint64 Size = F.size();
  // A large file takes seconds to read and lay out: a progress window says so the whole time.
  std::optional<QProgressDialog> Progress;
  if (Size > kProgressFileSize) {
    // Read piece by piece, so the window keeps painting and the user can still stop.
    Progress.emplace(QStringLiteral("Loading \"%1\"…").arg(QFileInfo(FileName).fileName()),
                     QCoreApplication::translate("Editor", "Cancel"), 0, int(Size / kReadChunk) + 1, this);
    Progress->setWindowModality(Qt::WindowModal);
    Progress->setMinimumDuration(0);
    Bytes.reserve(Size);
    while (!F.atEnd()) {
      const QByteArray Chunk = F.read(kReadChunk);
      if (Chunk.isEmpty()) break;
      Bytes += Chunk;
      Progress->setValue(int(Bytes.size() / kReadChunk));
      if (Progress->wasCanceled()) return;
    }
    // The document is built in one piece from here: no more stopping, but the window stays up.
    Progress->setLabelText(QStringLiteral("Reading the document \"%1\" (%2 MB)…")
                               .arg(QFileInfo(FileName).fileName())
                               .arg(double(Size) / (1024 * 1024), 0, 'f', 1));
    Progress->setCancelButton(nullptr);
    Progress->setRange(0, 0);
    Progress->repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  } else {
    Bytes = F.readAll();
  }
  if (F.error() != QFileDevice::NoError)
    throw EStreamError(QStringLiteral("Cannot read file \"%1\". %2").arg(FileName, F.errorString()));
  base::WaitCursor Wait;
  QBuffer Buffer(&Bytes);
  Buffer.open(QIODevice::ReadOnly);
  RichEdit1->Lines().LoadFromStream(Buffer);
  // A loaded file is a change the window hands back on Save and Exit.
  RichEdit1->SetModified(true);
  RefreshControls();
}

void TqvRichEditForm::SaveAs1Click() {
  if (!RaiseMenuEvent(SourceEdit->OnMenuSaveAsClick)) return;
  int FilterIndex = 1;
  const QString File = EditorDialogs().Save(this, kFileFilter, QStringLiteral("rtf"), FilterIndex);
  if (File.isEmpty()) return;
  if (QFileInfo::exists(File)) {
    platform::Question Q;
    Q.caption = QCoreApplication::translate("Editor", "Confirm");
    Q.text = QCoreApplication::translate("Editor", "OK to overwrite %s").replace(QStringLiteral("%s"), File);
    Q.icon = platform::Icon::Question;
    Q.buttons = platform::Buttons::YesNoCancel;
    if (platform::Ask(Q, this) != platform::idYes) return;
  }
  SaveFile(File, FilterIndex == 2);
}

void TqvRichEditForm::SaveFile(const QString& FileName, bool AsPlainText) {
  base::WaitCursor Wait;
  if (AsPlainText) {
    RichEdit1->SetPlainText(true);
    base::ScopeGuard BackToRtf([this] { RichEdit1->SetPlainText(false); });
    RichEdit1->Lines().SaveToFile(FileName);
  } else {
    RichEdit1->Lines().SaveToFile(FileName);
  }
}

void TqvRichEditForm::SaveExit1Click() {
  if (!RaiseMenuEvent(SourceEdit->OnMenuSaveAndExitClick)) return;
  SetModalResult(mrOk);
}

void TqvRichEditForm::Exit1Click() { SetModalResult(mrCancel); }

void TqvRichEditForm::Print1Click() {
  if (!RaiseMenuEvent(SourceEdit->OnMenuPrintClick)) return;
  platform::TPrinter& P = platform::Printer();
  if (P.Printers().isEmpty()) throw base::Exception(platform::TPrinter::NoPrinterMessage());
  TqvPrintChoice Choice;
  Choice.PrinterIndex = P.PrinterIndex();
  Choice.PdfFile = P.OutputFileName();
  Choice.Copies = 1;
  Choice.Collate = true;
  if (!EditorDialogs().Print(this, Choice)) return;
  P.SetPrinterIndex(Choice.PrinterIndex);
  const bool Pdf = P.IsPdfPrinter();
  if (Pdf) P.SetOutputFileName(Choice.PdfFile);
  RichEdit1->PrintCopies(SourceEdit->PrintJobName(), Pdf ? 1 : qMax(1, Choice.Copies));
  // A PDF lands where the user may not look: the status bar says where.
  if (Pdf && !P.LastOutputFile().isEmpty())
    StatusBar->SetPanelText(0, QCoreApplication::translate("Editor", "Printed to %1").arg(QDir::toNativeSeparators(P.LastOutputFile())));
}

void TqvRichEditForm::PageSetup1Click() {
  TqvPageSetupDialog Dialog(this);
  Dialog.SetTargetEdit(RichEdit1);
  if (!Dialog.Execute()) return;
  if (RichEdit1->UsesPrinterSize()) {
    // The ruler takes the new page width, and the paragraph's right indent follows it.
    if (Ruler) Ruler->PageSetupApplied();
  } else {
    RichEdit1->SetFormatRect();
  }
}

}  // namespace richtext
