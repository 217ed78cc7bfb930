#pragma once
// The program's current printer, shared by every window: the print queues the desktop lists
// and, always, a "PDF file" printer that writes a PDF, so that printing works on a machine
// without any queue. It answers what printing code asks of a printer (logical pixels per inch,
// the physical paper and the printable area in device pixels, the device mode's paper code and
// orientation) and runs print jobs page by page with a painter.
//
// Device pixels: the painter of a job has its origin at the top-left corner of the printable
// area, one unit per device pixel.

#include <QMarginsF>
#include <QPageSize>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>

class QPainter;

namespace platform {

// Paper codes of a device mode, as the rich text component stores them (PrintPageSize); the
// full table is in Printer.cpp.
enum TPaperCode : int { dmpLetter = 1, dmpLegal = 5, dmpA3 = 8, dmpA4 = 9, dmpA5 = 11 };

// Orientation codes of a device mode.
constexpr int DMORIENT_PORTRAIT = 1;
constexpr int DMORIENT_LANDSCAPE = 2;

// The page size a paper code stands for; a code without one gives Letter and *Known false.
QPageSize::PageSizeId PageSizeOfPaperCode(int Code, bool* Known = nullptr);
// The paper code of a page size; 0 for a size that has none.
int PaperCodeOfPageSize(QPageSize::PageSizeId Id);
// Every code that stands for a page size of its own, in code order: what a paper choice offers.
QList<int> PaperCodes();

// The settings a job on a printer takes.
struct TDeviceMode {
  int dmPaperSize = dmpLetter;  // kept as given, even a code without a page size of its own
  int dmOrientation = DMORIENT_PORTRAIT;
  friend bool operator==(const TDeviceMode&, const TDeviceMode&) = default;
};

enum TPrinterOrientation { poPortrait, poLandscape };

struct TPrinterSetup;

class TPrinter {
 public:
  TPrinter();
  ~TPrinter();
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  // "PDF file": the printer that writes a PDF.
  static QString PdfPrinterName();
  // The printer for which no printer exists: the message every question about it raises.
  static QString NoPrinterMessage();

  // The printers, the desktop's queues first and the PDF printer last.
  QStringList Printers() const;
  // The current printer; -1 when there is none at all.
  int PrinterIndex() const;
  // -1 selects the default (the desktop's default queue, else the PDF printer). Selecting the
  // current printer again keeps its device mode. Throws when the index names no printer.
  void SetPrinterIndex(int Index);
  QString PrinterName() const;  // throws without a printer
  bool IsPdfPrinter() const;

  // The current printer's device mode; throws without a printer. Changes take effect for the
  // metrics below and the next job.
  TDeviceMode& DeviceMode();
  // The device mode of any printer of the list, as it would be when selected.
  TDeviceMode DeviceModeOf(int Index);
  TPrinterOrientation Orientation() const;
  void SetOrientation(TPrinterOrientation Value);

  // The name the job carries in the queue (and the PDF's title).
  QString Title() const { return title_; }
  void SetTitle(const QString& Value) { title_ = Value; }

  // Where the PDF printer writes; empty: a new file named after the title in PdfFolder(),
  // never overwriting one that is there.
  QString OutputFileName() const { return outputFileName_; }
  void SetOutputFileName(const QString& Value) { outputFileName_ = Value; }
  // The documents folder, made when the account has none yet; the home folder when it cannot
  // be made or written to.
  static QString PdfFolder();
  // The file the last job wrote when it was on the PDF printer and finished; empty otherwise
  // (while a job runs, after one that failed, after one on a queue).
  QString LastOutputFile() const { return lastOutputFile_; }

  // ---- metrics of the current printer with its device mode (all throw without a printer) ----
  int LogPixelsX() const;
  int LogPixelsY() const;
  QSize PhysicalPageSize() const;  // the whole sheet
  QPoint PrintingOffset() const;   // of the printable area from the sheet's edge
  int PageWidth() const;           // of the printable area
  int PageHeight() const;

  // ---- the job ----
  // Each throws base::Exception with a message for the user when the printer fails; the job is
  // then aborted (a partly written PDF removed) and the printer is ready for the next one.
  void BeginDoc();
  void NewPage();
  void EndDoc();
  void Abort();  // ends a running job without finishing it; nothing when none runs
  bool Printing() const;
  int PageNumber() const { return pageNumber_; }  // 1 on the first page
  QPainter* Canvas() const;  // nullptr while no job runs

 private:
  struct Job;
  struct Geometry {
    int dpiX = 0, dpiY = 0;
    QSize phys;
    QPoint offset;
    QSize printable;
  };
  void RequirePrinter() const;
  // A printer's device mode, made from its defaults when first asked for.
  TDeviceMode& ModeOf(const QString& Name) const;
  Geometry Measure() const;
  Geometry MeasureNow(const QString& Name, const TDeviceMode& Mode) const;
  QString PdfTarget() const;
  [[noreturn]] void Fail(const QString& Message);
  friend void SetPrinterSetup(std::optional<TPrinterSetup> Setup);
  void Reset();  // forgets the selection and the device modes

  QString current_;  // empty: none selected yet (the default)
  mutable std::map<QString, TDeviceMode> modes_;  // by printer name; references stay valid
  QString title_;
  QString outputFileName_;
  QString lastOutputFile_;
  int pageNumber_ = 0;
  std::unique_ptr<Job> job_;
  mutable std::optional<Geometry> measured_;
  mutable QString measuredName_;
  mutable TDeviceMode measuredMode_;
};

// The program's one printer.
TPrinter& Printer();

// What tests put in place of the machine's printers.
struct TPrinterSetup {
  QStringList Printers;  // queue names and/or PdfPrinterName(); empty: no printer at all
  QString PdfPath;       // where the PDF printer writes unless OutputFileName says otherwise
  int PdfResolution = 1200;
  QMarginsF PdfUnprintable;  // points of the sheet the PDF printer treats as unprintable
};
// Replaces the machine's printers (nullopt puts them back); the current printer becomes the
// default again and every device mode is forgotten.
void SetPrinterSetup(std::optional<TPrinterSetup> Setup);

}  // namespace platform
