#include "platform/Printer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QFileInfo>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

#include "base/Exception.h"

namespace platform {

// ---- paper codes ------------------------------------------------------------------------------

namespace {

struct PaperEntry {
  int code;
  QPageSize::PageSizeId id;
};

// The device mode's paper codes and the page sizes they stand for. Transverse and rotated
// variants name the same sheet as their upright code; the first code of a size is the one a
// size maps back to.
constexpr PaperEntry kPapers[] = {
    {1, QPageSize::Letter},          {2, QPageSize::LetterSmall},      {3, QPageSize::Tabloid},
    {4, QPageSize::Ledger},          {5, QPageSize::Legal},            {6, QPageSize::Statement},
    {7, QPageSize::ExecutiveStandard},      {8, QPageSize::A3},               {9, QPageSize::A4},
    {10, QPageSize::A4Small},        {11, QPageSize::A5},              {12, QPageSize::JisB4},
    {13, QPageSize::JisB5},          {15, QPageSize::Quarto},          {16, QPageSize::Imperial10x14},
    {17, QPageSize::Tabloid},        {18, QPageSize::Note},            {19, QPageSize::Envelope9},
    {20, QPageSize::Envelope10},     {21, QPageSize::Envelope11},      {22, QPageSize::Envelope12},
    {23, QPageSize::Envelope14},     {24, QPageSize::ArchC},           {25, QPageSize::ArchD},
    {26, QPageSize::ArchE},          {27, QPageSize::EnvelopeDL},      {28, QPageSize::EnvelopeC5},
    {29, QPageSize::EnvelopeC3},     {30, QPageSize::EnvelopeC4},      {31, QPageSize::EnvelopeC6},
    {32, QPageSize::EnvelopeC65},    {33, QPageSize::EnvelopeB4},      {34, QPageSize::EnvelopeB5},
    {35, QPageSize::EnvelopeB6},     {36, QPageSize::EnvelopeItalian}, {37, QPageSize::EnvelopeMonarch},
    {38, QPageSize::EnvelopePersonal}, {39, QPageSize::FanFoldUS},     {40, QPageSize::FanFoldGerman},
    {41, QPageSize::FanFoldGermanLegal}, {42, QPageSize::B4},          {43, QPageSize::Postcard},
    {44, QPageSize::Imperial9x11},   {45, QPageSize::Imperial10x11},   {46, QPageSize::Imperial15x11},
    {47, QPageSize::EnvelopeInvite}, {50, QPageSize::LetterExtra},     {51, QPageSize::LegalExtra},
    {52, QPageSize::TabloidExtra},   {53, QPageSize::A4Extra},         {54, QPageSize::Letter},
    {55, QPageSize::A4},             {56, QPageSize::LetterExtra},     {57, QPageSize::SuperA},
    {58, QPageSize::SuperB},         {59, QPageSize::LetterPlus},      {60, QPageSize::A4Plus},
    {61, QPageSize::A5},             {62, QPageSize::JisB5},           {63, QPageSize::A3Extra},
    {64, QPageSize::A5Extra},        {65, QPageSize::B5Extra},         {66, QPageSize::A2},
    {67, QPageSize::A3},             {68, QPageSize::A3Extra},         {69, QPageSize::DoublePostcard},
    {70, QPageSize::A6},             {71, QPageSize::EnvelopeKaku2},   {72, QPageSize::EnvelopeKaku3},
    {73, QPageSize::EnvelopeChou3},  {74, QPageSize::EnvelopeChou4},   {75, QPageSize::Letter},
    {76, QPageSize::A3},             {77, QPageSize::A4},              {78, QPageSize::A5},
    {79, QPageSize::JisB4},          {80, QPageSize::JisB5},           {81, QPageSize::Postcard},
    {82, QPageSize::DoublePostcard}, {83, QPageSize::A6},              {84, QPageSize::EnvelopeKaku2},
    {85, QPageSize::EnvelopeKaku3},  {86, QPageSize::EnvelopeChou3},   {87, QPageSize::EnvelopeChou4},
    {88, QPageSize::JisB6},          {89, QPageSize::JisB6},           {90, QPageSize::Imperial12x11},
    {91, QPageSize::EnvelopeYou4},   {92, QPageSize::EnvelopeYou4},    {93, QPageSize::Prc16K},
    {94, QPageSize::Prc32K},         {95, QPageSize::Prc32KBig},       {96, QPageSize::EnvelopePrc1},
    {97, QPageSize::EnvelopePrc2},   {98, QPageSize::EnvelopePrc3},    {99, QPageSize::EnvelopePrc4},
    {100, QPageSize::EnvelopePrc5},  {101, QPageSize::EnvelopePrc6},   {102, QPageSize::EnvelopePrc7},
    {103, QPageSize::EnvelopePrc8},  {104, QPageSize::EnvelopePrc9},   {105, QPageSize::EnvelopePrc10},
    {106, QPageSize::Prc16K},        {107, QPageSize::Prc32K},         {108, QPageSize::Prc32KBig},
    {109, QPageSize::EnvelopePrc1},  {110, QPageSize::EnvelopePrc2},   {111, QPageSize::EnvelopePrc3},
    {112, QPageSize::EnvelopePrc4},  {113, QPageSize::EnvelopePrc5},   {114, QPageSize::EnvelopePrc6},
    {115, QPageSize::EnvelopePrc7},  {116, QPageSize::EnvelopePrc8},   {117, QPageSize::EnvelopePrc9},
    {118, QPageSize::EnvelopePrc10},
};

std::optional<TPrinterSetup>& Setup() {
  static std::optional<TPrinterSetup> s;
  return s;
}

QPageLayout::Orientation QtOrientation(const TDeviceMode& m) {
  return m.dmOrientation == DMORIENT_LANDSCAPE ? QPageLayout::Landscape : QPageLayout::Portrait;
}

QPageSize PageSizeOf(const TDeviceMode& m) { return QPageSize(PageSizeOfPaperCode(m.dmPaperSize)); }

TDeviceMode DefaultModeFor(const QString& name) {
  TDeviceMode m;
  QPageSize::PageSizeId id = QLocale().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                                         : QPageSize::A4;
  if (name != TPrinter::PdfPrinterName() && !Setup()) {
    const QPrinterInfo info = QPrinterInfo::printerInfo(name);
    if (!info.isNull() && info.defaultPageSize().isValid()) id = info.defaultPageSize().id();
  }
  m.dmPaperSize = PaperCodeOfPageSize(id);
  if (m.dmPaperSize == 0) m.dmPaperSize = dmpLetter;
  return m;
}

// A name a file can take: what the title says, without the characters a path cannot hold.
QString FileNameOf(const QString& title) {
  QString name = title.trimmed();
  for (QChar& c : name)
    if (c == u'/' || c == u'\\' || c.unicode() < 32) c = u'_';
  return name.isEmpty() ? QStringLiteral("Document") : name;
}

}  // namespace

QPageSize::PageSizeId PageSizeOfPaperCode(int Code, bool* Known) {
  for (const PaperEntry& e : kPapers)
    if (e.code == Code) {
      if (Known) *Known = true;
      return e.id;
    }
  if (Known) *Known = false;
  return QPageSize::Letter;
}

int PaperCodeOfPageSize(QPageSize::PageSizeId Id) {
  for (const PaperEntry& e : kPapers)
    if (e.id == Id) return e.code;
  return 0;
}

QList<int> PaperCodes() {
  QList<int> codes;
  for (const PaperEntry& e : kPapers)
    if (PaperCodeOfPageSize(e.id) == e.code) codes << e.code;
  return codes;
}

// ---- the printer ------------------------------------------------------------------------------

// A running job: the PDF printer writes through a file of its own so that a failed write is
// seen; a queue prints through the toolkit's printer.
struct TPrinter::Job {
  std::unique_ptr<QSaveFile> file;  // the target changes only when the whole PDF is written
  std::unique_ptr<QPdfWriter> pdf;
  std::unique_ptr<QPrinter> printer;
  QPainter painter;
  QString path;

  QString FileError() const {
    if (!file || file->error() == QFileDevice::NoError) return {};
    return QCoreApplication::translate("Printer", "The PDF file \"%1\" could not be written: %2")
        .arg(QDir::toNativeSeparators(path), file->errorString());
  }
};

TPrinter::TPrinter() = default;

TPrinter::~TPrinter() { Abort(); }

QString TPrinter::PdfPrinterName() { return QCoreApplication::translate("Printer", "PDF file"); }

QString TPrinter::NoPrinterMessage() { return QCoreApplication::translate("Printer", "There is no default printer currently selected"); }

QStringList TPrinter::Printers() const {
  if (Setup()) return Setup()->Printers;
  QStringList names = QPrinterInfo::availablePrinterNames();
  names.removeAll(PdfPrinterName());
  names << PdfPrinterName();
  return names;
}

int TPrinter::PrinterIndex() const {
  const QStringList names = Printers();
  if (names.isEmpty()) return -1;
  const int at = names.indexOf(current_);
  if (at >= 0) return at;
  // The default: the desktop's default queue, else the PDF printer, else the first.
  if (!Setup()) {
    const int def = names.indexOf(QPrinterInfo::defaultPrinterName());
    if (def >= 0) return def;
  }
  const int pdf = names.indexOf(PdfPrinterName());
  return pdf >= 0 ? pdf : 0;
}

void TPrinter::SetPrinterIndex(int Index) {
  const QStringList names = Printers();
  if (Index == -1) {
    current_.clear();
    return;
  }
  if (Index < 0 || Index >= names.size())
    throw base::Exception(QStringLiteral("Printer selection out of range"));
  current_ = names[Index];
}

void TPrinter::RequirePrinter() const {
  if (PrinterIndex() < 0) throw base::Exception(NoPrinterMessage());
}

QString TPrinter::PrinterName() const {
  RequirePrinter();
  return Printers()[PrinterIndex()];
}

bool TPrinter::IsPdfPrinter() const { return PrinterIndex() >= 0 && PrinterName() == PdfPrinterName(); }

TDeviceMode& TPrinter::ModeOf(const QString& name) const {
  auto at = modes_.find(name);
  if (at == modes_.end()) at = modes_.emplace(name, DefaultModeFor(name)).first;
  return at->second;
}

TDeviceMode& TPrinter::DeviceMode() { return ModeOf(PrinterName()); }

TDeviceMode TPrinter::DeviceModeOf(int Index) {
  const QStringList names = Printers();
  if (Index < 0 || Index >= names.size()) throw base::Exception(QStringLiteral("Printer selection out of range"));
  return ModeOf(names[Index]);
}

TPrinterOrientation TPrinter::Orientation() const {
  return ModeOf(PrinterName()).dmOrientation == DMORIENT_LANDSCAPE ? poLandscape : poPortrait;
}

void TPrinter::SetOrientation(TPrinterOrientation Value) {
  DeviceMode().dmOrientation = Value == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
}

TPrinter::Geometry TPrinter::Measure() const {
  const QString name = PrinterName();
  const TDeviceMode mode = ModeOf(name);
  // Asking a queue means setting up a printer of the toolkit: done once per setting, not on
  // every page of a job.
  if (measured_ && measuredName_ == name && measuredMode_ == mode) return *measured_;
  measured_ = MeasureNow(name, mode);
  measuredName_ = name;
  measuredMode_ = mode;
  return *measured_;
}

TPrinter::Geometry TPrinter::MeasureNow(const QString& name, const TDeviceMode& mode) const {
  Geometry g;
  if (name == PdfPrinterName()) {
    const int res = Setup() ? Setup()->PdfResolution : 1200;
    const QMarginsF m = Setup() ? Setup()->PdfUnprintable : QMarginsF();
    g.dpiX = g.dpiY = res;
    g.phys = PageSizeOf(mode).sizePixels(res);
    if (mode.dmOrientation == DMORIENT_LANDSCAPE) g.phys.transpose();
    const auto px = [res](qreal points) { return qRound(points * res / 72); };
    g.offset = QPoint(px(m.left()), px(m.top()));
    g.printable = QSize(g.phys.width() - g.offset.x() - px(m.right()), g.phys.height() - g.offset.y() - px(m.bottom()));
    return g;
  }
  QPrinter p(QPrinter::HighResolution);
  p.setPrinterName(name);
  p.setPageSize(PageSizeOf(mode));
  p.setPageOrientation(QtOrientation(mode));
  const int res = p.resolution();
  const QPageLayout layout = p.pageLayout();
  g.dpiX = p.logicalDpiX();
  g.dpiY = p.logicalDpiY();
  g.phys = layout.fullRectPixels(res).size();
  g.offset = layout.paintRectPixels(res).topLeft();
  g.printable = layout.paintRectPixels(res).size();
  return g;
}

int TPrinter::LogPixelsX() const { return Measure().dpiX; }
int TPrinter::LogPixelsY() const { return Measure().dpiY; }
QSize TPrinter::PhysicalPageSize() const { return Measure().phys; }
QPoint TPrinter::PrintingOffset() const { return Measure().offset; }
int TPrinter::PageWidth() const { return Measure().printable.width(); }
int TPrinter::PageHeight() const { return Measure().printable.height(); }

QString TPrinter::PdfFolder() {
  // An account may have no documents folder yet: it is made, as a file manager would; where it
  // cannot be, the home folder takes the PDF.
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (!documents.isEmpty() && QDir().mkpath(documents) && QFileInfo(documents).isWritable()) return documents;
  return QDir::homePath();
}

QString TPrinter::PdfTarget() const {
  if (!outputFileName_.isEmpty()) return outputFileName_;
  if (Setup() && !Setup()->PdfPath.isEmpty()) return Setup()->PdfPath;
  // A new file each time: printing never overwrites what the user already has.
  const QString folder = PdfFolder();
  const QString base = FileNameOf(title_);
  QString path = QDir(folder).filePath(base + QStringLiteral(".pdf"));
  for (int n = 2; QFileInfo::exists(path); ++n)
    path = QDir(folder).filePath(QStringLiteral("%1 (%2).pdf").arg(base).arg(n));
  return path;
}

bool TPrinter::Printing() const { return job_ != nullptr; }

QPainter* TPrinter::Canvas() const { return job_ ? &job_->painter : nullptr; }

void TPrinter::Fail(const QString& Message) {
  Abort();
  throw base::Exception(Message);
}

void TPrinter::BeginDoc() {
  if (job_) throw base::Exception(QStringLiteral("Printing in progress"));
  lastOutputFile_.clear();
  const QString name = PrinterName();
  const TDeviceMode mode = DeviceMode();
  job_ = std::make_unique<Job>();
  pageNumber_ = 0;
  if (name == PdfPrinterName()) {
    const Geometry g = Measure();
    job_->path = PdfTarget();
    job_->file = std::make_unique<QSaveFile>(job_->path);
    if (!job_->file->open(QIODevice::WriteOnly)) {
      const QString why = job_->file->errorString();
      job_.reset();  // nothing was written: whatever was there stays
      throw base::Exception(QCoreApplication::translate("Printer", "The PDF file \"%1\" could not be written: %2")
                                .arg(QDir::toNativeSeparators(PdfTarget()), why));
    }
    job_->pdf = std::make_unique<QPdfWriter>(job_->file.get());
    job_->pdf->setResolution(g.dpiX);
    job_->pdf->setTitle(title_);
    job_->pdf->setCreator(QCoreApplication::applicationName());
    const QMarginsF m = Setup() ? Setup()->PdfUnprintable : QMarginsF();
    job_->pdf->setPageLayout(QPageLayout(PageSizeOf(mode), QtOrientation(mode), m, QPageLayout::Point, QMarginsF()));
    if (!job_->painter.begin(job_->pdf.get()))
      Fail(QCoreApplication::translate("Printer", "The PDF file \"%1\" could not be started.").arg(QDir::toNativeSeparators(job_->path)));
  } else {
    if (QPrinterInfo::printerInfo(name).isNull()) {
      job_.reset();
      throw base::Exception(QCoreApplication::translate("Printer", "The printer \"%1\" is not available.").arg(name));
    }
    job_->printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrinter& p = *job_->printer;
    p.setPrinterName(name);
    p.setOutputFormat(QPrinter::NativeFormat);
    p.setDocName(title_);
    p.setPageSize(PageSizeOf(mode));
    p.setPageOrientation(QtOrientation(mode));
    if (!job_->painter.begin(&p) || p.printerState() == QPrinter::Error)
      Fail(QCoreApplication::translate("Printer", "The printer \"%1\" refused the job.").arg(name));
  }
  pageNumber_ = 1;
}

void TPrinter::NewPage() {
  if (!job_) throw base::Exception(QStringLiteral("Printer is not currently printing"));
  bool ok = job_->pdf ? job_->pdf->newPage() : job_->printer->newPage();
  if (job_->file) job_->file->flush();
  const QString fileError = job_->FileError();
  if (!fileError.isEmpty()) Fail(fileError);
  if (!ok || (job_->printer && job_->printer->printerState() == QPrinter::Error))
    Fail(QCoreApplication::translate("Printer", "The printer \"%1\" could not start page %2.").arg(PrinterName()).arg(pageNumber_ + 1));
  ++pageNumber_;
}

void TPrinter::EndDoc() {
  if (!job_) throw base::Exception(QStringLiteral("Printer is not currently printing"));
  const bool ended = job_->painter.end();
  QString error;
  if (job_->file) {
    job_->file->flush();
    error = job_->FileError();
    job_->pdf.reset();
    if (error.isEmpty() && !job_->file->commit())
      error = QCoreApplication::translate("Printer", "The PDF file \"%1\" could not be written: %2")
                  .arg(QDir::toNativeSeparators(job_->path), job_->file->errorString());
  } else if (job_->printer->printerState() == QPrinter::Error || job_->printer->printerState() == QPrinter::Aborted) {
    error = QCoreApplication::translate("Printer", "The printer \"%1\" refused the job.").arg(PrinterName());
  }
  if (error.isEmpty() && !ended) error = QCoreApplication::translate("Printer", "The printer \"%1\" could not finish the job.").arg(PrinterName());
  if (!error.isEmpty()) Fail(error);
  if (job_->file) lastOutputFile_ = job_->path;
  job_.reset();
}

void TPrinter::Abort() {
  if (!job_) return;
  std::unique_ptr<Job> job = std::move(job_);
  if (job->printer) job->printer->abort();
  if (job->painter.isActive()) job->painter.end();
  job->pdf.reset();
  // A PDF cut off midway is of no use to anyone: it is dropped, and a file that was there
  // before stays as it was.
  if (job->file) job->file->cancelWriting();
}

void TPrinter::Reset() {
  Abort();
  current_.clear();
  modes_.clear();
  measured_.reset();
  outputFileName_.clear();
  lastOutputFile_.clear();
  pageNumber_ = 0;
}

TPrinter& Printer() {
  static TPrinter p;
  return p;
}

void SetPrinterSetup(std::optional<TPrinterSetup> S) {
  TPrinter& p = Printer();
  p.Abort();
  Setup() = std::move(S);
  p.Reset();
}

}  // namespace platform
