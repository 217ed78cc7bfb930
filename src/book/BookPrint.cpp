// The book on paper: a title page, the contents by letter, and each letter from a new page with
// its letter as a heading, its entries in one or two columns, running heads naming the first and
// last term of the page, and page numbers. The entries go through the engine's formatting of a
// range onto a device, as printed definitions do. As a PDF, the contents are printed last (their
// page numbers are known only then) and moved behind the title page when the outline is added.

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QTemporaryFile>

#include "base/Exception.h"
#include "base/ScopeGuard.h"
#include "book/Book.h"
#include "book/BookEntries.h"
#include "book/BookFiles.h"
#include "book/PdfUpdate.h"
#include "engine/RichDocument.h"
#include "platform/Printer.h"

namespace book {

QString DefaultTitle() { return QStringLiteral("Словарь пчеловода"); }
QString DefaultAuthor() { return QStringLiteral("Termora"); }

QString RussianDate(const QDate& date) {
  static const char16_t* const months[] = {u"января", u"февраля", u"марта",    u"апреля",  u"мая",    u"июня",
                                           u"июля",   u"августа", u"сентября", u"октября", u"ноября", u"декабря"};
  if (!date.isValid()) return {};
  return QStringLiteral("%1 %2 %3 г.").arg(date.day()).arg(QString::fromUtf16(months[date.month() - 1])).arg(date.year());
}

namespace {

using engine::FORMATRANGE;
using engine::LONG;
using engine::RECT;

// Page furniture, in twips.
constexpr int kGutterTw = 360;          // between columns
constexpr int kLetterBandTw = 1300;     // the letter's heading above a letter's first page
constexpr int kHeadGapTw = 200;         // running head's baseline above the body
constexpr int kFootGapTw = 420;         // page number's baseline below the body
constexpr int kTocHeadingTw = 1300;
constexpr int kTocRowTw = 360;

// A page of a letter: the ranges its columns show.
struct PageRanges {
  std::vector<std::pair<int, int>> columns;  // [from, to) each
};

struct Layout {
  int dpiX = 0, dpiY = 0;
  RECT body{};  // twips from the printable area's corner
  int columns = 1;
  int ColumnWidth() const { return (body.right - body.left - kGutterTw * (columns - 1)) / columns; }
  int Px(int tw) const { return int(qint64(tw) * dpiX / 1440); }
  int Py(int tw) const { return int(qint64(tw) * dpiY / 1440); }
  int TocRowsPerPage() const { return std::max(1, (body.bottom - body.top - kTocHeadingTw) / kTocRowTw); }
};

Layout LayoutOf(const platform::TPrinter& p, const BookOptions& o) {
  Layout l;
  l.dpiX = p.LogPixelsX();
  l.dpiY = p.LogPixelsY();
  const QSize phys = p.PhysicalPageSize();
  const QPoint off = p.PrintingOffset();
  const auto tw = [](int px, int dpi) { return LONG(qint64(px) * 1440 / dpi); };
  l.body.left = std::max(LONG(0), LONG(o.marginLeftTw) - tw(off.x(), l.dpiX));
  l.body.top = std::max(LONG(0), LONG(o.marginTopTw) - tw(off.y(), l.dpiY));
  l.body.right = tw(phys.width(), l.dpiX) - o.marginRightTw - tw(off.x(), l.dpiX);
  l.body.bottom = tw(phys.height(), l.dpiY) - o.marginBottomTw - tw(off.y(), l.dpiY);
  l.columns = std::clamp(o.columns, 1, 2);
  return l;
}

QFont PointFont(qreal points, bool bold = false, bool italic = false) {
  QFont f = BookFont();
  f.setPointSizeF(points);
  f.setBold(bold);
  f.setItalic(italic);
  return f;
}

// One letter laid out: its entries and where each page's columns start and end.
class LetterBook {
 public:
  LetterBook() : rich_(&doc_) {
    doc_.setDefaultFont(BookFont());
  }
  bool Build(const std::vector<BookTerm>& terms, const Progress& progress, int* done, int total) {
    return AppendEntries(terms, &doc_, &starts_, progress, done, total);
  }
  // Splits the entries into pages and columns; the first page leaves room for the heading.
  std::vector<PageRanges> Paginate(const Layout& l) {
    std::vector<PageRanges> pages;
    const int len = rich_.TextLength();
    int cp = 0;
    while (cp < len) {
      PageRanges page;
      const int top = pages.empty() ? l.body.top + kLetterBandTw : l.body.top;
      for (int col = 0; col < l.columns && cp < len; ++col) {
        FORMATRANGE fr;
        fr.rc.left = l.body.left + col * (l.ColumnWidth() + kGutterTw);
        fr.rc.right = fr.rc.left + l.ColumnWidth();
        fr.rc.top = top;
        fr.rc.bottom = l.body.bottom;
        fr.rcPage = fr.rc;
        fr.chrg = {cp, -1};
        const int next = rich_.FormatRange(false, fr);
        const int end = next > cp ? next : len;  // the engine always moves on; a stop is the end
        page.columns.emplace_back(cp, end);
        cp = end;
      }
      pages.push_back(std::move(page));
    }
    return pages;
  }
  void Render(QPainter* p, const Layout& l, const PageRanges& page, bool first) {
    const int top = first ? l.body.top + kLetterBandTw : l.body.top;
    for (size_t col = 0; col < page.columns.size(); ++col) {
      FORMATRANGE fr;
      fr.hdc = fr.hdcTarget = p;
      fr.rc.left = l.body.left + LONG(col) * (l.ColumnWidth() + kGutterTw);
      fr.rc.right = fr.rc.left + l.ColumnWidth();
      fr.rc.top = top;
      fr.rc.bottom = l.body.bottom;
      fr.rcPage = fr.rc;
      fr.chrg = {page.columns[col].first, page.columns[col].second};
      rich_.FormatRange(true, fr);
    }
  }
  // The first and last term a page shows.
  std::pair<int, int> Terms(const PageRanges& page) const {
    const int from = page.columns.front().first;
    const int to = std::max(from, page.columns.back().second - 1);
    return {EntryAt(starts_, from), EntryAt(starts_, to)};
  }
  void Release() { rich_.ReleaseFormatCache(), rich_.ReleaseFormatCache(); }

 private:
  QTextDocument doc_;
  engine::TRichDocument rich_;
  std::vector<int> starts_;
};

class BookPrinter {
 public:
  BookPrinter(BookSource& source, const std::vector<BookLetter>& plan, const BookOptions& o, platform::TPrinter& p,
              const Progress& progress)
      : source_(source), plan_(plan), o_(o), p_(p), progress_(progress), total_(TermCount(plan)) {}

  // Prints the whole book. With `contentsLast` the contents go after the letters (for a PDF
  // whose pages are put in order afterwards); otherwise the letters are paginated first to
  // number them. Throws base::Exception on failure; false when cancelled.
  bool Run(bool contentsLast, std::vector<int>* letterFirstPage) {
    l_ = LayoutOf(p_, o_);
    if (l_.body.right - l_.body.left < 1440 || l_.body.bottom - l_.body.top < 2 * kLetterBandTw)
      throw base::Exception(QCoreApplication::translate("Book", "The margins leave no room for the text on the page."));
    const int tocPages = (int(plan_.size()) + l_.TocRowsPerPage() - 1) / l_.TocRowsPerPage();
    std::vector<int> firsts;
    if (!contentsLast) {
      // Counting the pages lays every letter out once more: paper cannot be reordered.
      scale_ = 2;
      int page = 2 + tocPages;
      for (const BookLetter& letter : plan_) {
        LetterBook b;
        std::vector<BookTerm> terms;
        if (!Load(letter, &terms) || !b.Build(terms, progress_, &done_, total_ * scale_)) return false;
        firsts.push_back(page);
        page += int(b.Paginate(l_).size());
      }
    }
    p_.BeginDoc();
    base::ScopeGuard abort([&] { p_.Abort(); });
    QPainter* c = p_.Canvas();
    c->resetTransform();
    TitlePage(c);
    if (!contentsLast) {
      for (int i = 0; i < tocPages; ++i) {
        p_.NewPage();
        Contents(c, firsts, i);
      }
    }
    int page = 2 + tocPages;
    firsts.clear();
    for (const BookLetter& letter : plan_) {
      LetterBook b;
      std::vector<BookTerm> terms;
      if (!Load(letter, &terms) || !b.Build(terms, progress_, &done_, total_ * scale_)) return false;
      terms.clear();
      const std::vector<PageRanges> pages = b.Paginate(l_);
      firsts.push_back(page);
      for (size_t i = 0; i < pages.size(); ++i) {
        p_.NewPage();
        if (i == 0) LetterHeading(c, letter.letter);
        const auto [first, last] = b.Terms(pages[i]);
        RunningHead(c, TermWord(letter, first), TermWord(letter, last));
        PageNumber(c, page++);
        b.Render(c, l_, pages[i], i == 0);
      }
      b.Release();
    }
    if (contentsLast)
      for (int i = 0; i < tocPages; ++i) {
        p_.NewPage();
        Contents(c, firsts, i);
      }
    pages_ = p_.PageNumber();
    p_.EndDoc();
    if (letterFirstPage) *letterFirstPage = firsts;
    tocPages_ = tocPages;
    return true;
  }

  int Pages() const { return pages_; }
  int TocPages() const { return tocPages_; }

 private:
  bool Load(const BookLetter& letter, std::vector<BookTerm>* terms) {
    QString error;
    if (!source_.Terms(letter, terms, &error)) throw base::Exception(error);
    words_.clear();
    for (const BookTerm& t : *terms) words_.push_back(t.word);
    return true;
  }
  QString TermWord(const BookLetter&, int index) const {
    return index >= 0 && index < int(words_.size()) ? words_[size_t(index)] : QString();
  }

  void TitlePage(QPainter* c) {
    const QRect body(l_.Px(l_.body.left), l_.Py(l_.body.top), l_.Px(l_.body.right - l_.body.left),
                     l_.Py(l_.body.bottom - l_.body.top));
    c->save();
    c->setPen(Qt::black);
    c->setFont(PointFont(28, true));
    const QString title = o_.title.isEmpty() ? DefaultTitle() : o_.title;
    QRect band(body.left(), body.top() + body.height() / 4, body.width(), body.height() / 4);
    c->drawText(band, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextWordWrap, title);
    c->setFont(PointFont(14));
    QRect below(body.left(), band.bottom() + l_.Py(480), body.width(), body.height() / 4);
    QString lines = o_.description;
    const QString date = RussianDate(o_.date.isValid() ? o_.date : QDate::currentDate());
    lines += (lines.isEmpty() ? QString() : QStringLiteral("\n")) + date;
    c->drawText(below, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, lines);
    c->setFont(PointFont(11, false, true));
    c->drawText(body, Qt::AlignHCenter | Qt::AlignBottom, o_.author.isEmpty() ? DefaultAuthor() : o_.author);
    c->restore();
  }

  void Contents(QPainter* c, const std::vector<int>& firsts, int tocPage) {
    c->save();
    c->setPen(Qt::black);
    const int left = l_.Px(l_.body.left), right = l_.Px(l_.body.right);
    if (tocPage == 0) {
      c->setFont(PointFont(18, true));
      c->drawText(QRect(left, l_.Py(l_.body.top), right - left, l_.Py(kTocHeadingTw) - l_.Py(360)),
                  Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("Содержание"));
    }
    PageNumber(c, 2 + tocPage);
    const QFont f = PointFont(12);
    c->setFont(f);
    const QFontMetrics fm(f, c->device());
    const int per = l_.TocRowsPerPage();
    const int from = tocPage * per, to = std::min(int(plan_.size()), from + per);
    for (int i = from; i < to; ++i) {
      const int y = l_.Py(l_.body.top + kTocHeadingTw + (i - from + 1) * kTocRowTw);
      const QString num = QString::number(firsts[size_t(i)]);
      const QString letter = plan_[size_t(i)].letter;
      c->drawText(left, y, letter);
      c->drawText(right - fm.horizontalAdvance(num), y, num);
      // Dot leaders between the letter and its page.
      const int dotsFrom = left + fm.horizontalAdvance(letter) + fm.horizontalAdvance(QLatin1Char(' '));
      const int dotsTo = right - fm.horizontalAdvance(num) - fm.horizontalAdvance(QLatin1Char(' '));
      const int step = fm.horizontalAdvance(QStringLiteral(". "));
      QPen pen(Qt::black);
      pen.setWidth(std::max(1, l_.Px(14)));
      pen.setCapStyle(Qt::RoundCap);
      c->save();
      c->setPen(pen);
      for (int x = dotsTo - step / 2; x > dotsFrom; x -= step) c->drawPoint(x, y);
      c->restore();
    }
    c->restore();
  }

  void LetterHeading(QPainter* c, const QString& letter) {
    c->save();
    c->setPen(Qt::black);
    c->setFont(PointFont(36, true));
    const QRect band(l_.Px(l_.body.left), l_.Py(l_.body.top), l_.Px(l_.body.right - l_.body.left),
                     l_.Py(kLetterBandTw - 300));
    c->drawText(band, Qt::AlignHCenter | Qt::AlignVCenter, letter);
    c->restore();
  }

  void RunningHead(QPainter* c, const QString& first, const QString& last) {
    c->save();
    c->setPen(Qt::black);
    const QFont f = PointFont(9, true);
    c->setFont(f);
    const QFontMetrics fm(f, c->device());
    const int left = l_.Px(l_.body.left), right = l_.Px(l_.body.right);
    const int y = l_.Py(l_.body.top - kHeadGapTw);
    if (y - fm.ascent() < 0) {  // no room above the body: the margin is too small for a head
      c->restore();
      return;
    }
    c->drawText(left, y, first);
    if (last != first) c->drawText(right - fm.horizontalAdvance(last), y, last);
    QPen pen(Qt::black);
    pen.setWidth(std::max(1, l_.Px(8)));
    c->setPen(pen);
    const int lineY = y + fm.descent() + l_.Py(30);
    c->drawLine(left, lineY, right, lineY);
    c->restore();
  }

  void PageNumber(QPainter* c, int number) {
    c->save();
    c->setPen(Qt::black);
    const QFont f = PointFont(9);
    c->setFont(f);
    const QFontMetrics fm(f, c->device());
    const QString text = QString::number(number);
    const int left = l_.Px(l_.body.left), right = l_.Px(l_.body.right);
    c->drawText(left + (right - left - fm.horizontalAdvance(text)) / 2, l_.Py(l_.body.bottom + kFootGapTw), text);
    c->restore();
  }

  BookSource& source_;
  const std::vector<BookLetter>& plan_;
  const BookOptions& o_;
  platform::TPrinter& p_;
  const Progress& progress_;
  int total_ = 0;
  int done_ = 0;
  int scale_ = 1;
  Layout l_;
  std::vector<QString> words_;
  int pages_ = 0;
  int tocPages_ = 0;
};

}  // namespace

Result PrintBook(BookSource& source, const std::vector<BookLetter>& plan, const BookOptions& options,
                 platform::TPrinter& printer, const Progress& progress) {
  Result r;
  try {
    printer.SetTitle(options.title.isEmpty() ? DefaultTitle() : options.title);
    BookPrinter b(source, plan, options, printer, progress);
    if (!b.Run(false, nullptr)) return {Outcome::Cancelled, QCoreApplication::translate("Book", "Printing was cancelled."), 0};
    r.pages = b.Pages();
  } catch (const std::exception& e) {
    printer.Abort();
    return {Outcome::Failed, QString::fromUtf8(e.what()), 0};
  }
  return r;
}

Result WritePdf(BookSource& source, const std::vector<BookLetter>& plan, const BookOptions& options,
                const QString& path, const Progress& progress) {
  if (QFileInfo::exists(path) && !options.overwrite)
    return {Outcome::Failed, QStringLiteral("\"%1\" already exists.").arg(path), 0};
  platform::TPrinter& p = platform::Printer();
  if (p.Printing()) return {Outcome::Failed, QCoreApplication::translate("Book", "The printer is busy with another job."), 0};
  // The book goes through the PDF printer with the paper of the printer the user set up; the
  // user's choice of printer and file name are put back afterwards.
  const int pdf = p.Printers().indexOf(platform::TPrinter::PdfPrinterName());
  if (pdf < 0) return {Outcome::Failed, QStringLiteral("No PDF printer is available."), 0};
  const int was = p.PrinterIndex();
  const platform::TDeviceMode mode = was >= 0 ? p.DeviceMode() : platform::TDeviceMode{};
  const QString wasFile = p.OutputFileName(), wasTitle = p.Title();
  p.SetPrinterIndex(pdf);
  const platform::TDeviceMode pdfMode = p.DeviceMode();
  p.DeviceMode() = mode;
  p.SetPrinterIndex(pdf);
  const QString part = PartPath(path);
  p.SetOutputFileName(part);
  const QString title = options.title.isEmpty() ? DefaultTitle() : options.title;
  p.SetTitle(title);
  base::ScopeGuard restore([&] {
    p.SetOutputFileName(wasFile);
    p.SetTitle(wasTitle);
    p.DeviceMode() = pdfMode;
    if (was >= 0) p.SetPrinterIndex(was);
  });
  base::ScopeGuard drop([&] { QFile::remove(part); });

  Result r;
  std::vector<int> firsts;
  try {
    BookPrinter b(source, plan, options, p, progress);
    if (!b.Run(true, &firsts)) return {Outcome::Cancelled, QCoreApplication::translate("Book", "The export was cancelled."), 0};
    r.pages = b.Pages();
    // Title page, then the contents (printed last), then the letters.
    std::vector<int> order{0};
    for (int i = r.pages - b.TocPages(); i < r.pages; ++i) order.push_back(i);
    for (int i = 1; i < r.pages - b.TocPages(); ++i) order.push_back(i);
    std::vector<OutlineEntry> outline;
    for (size_t i = 0; i < plan.size(); ++i) outline.push_back({plan[i].letter, firsts[i] - 1});
    QString error;
    if (!AppendPdfUpdate(part, order, outline, title, options.author.isEmpty() ? DefaultAuthor() : options.author,
                         &error))
      return {Outcome::Failed, error, 0};
  } catch (const std::exception& e) {
    p.Abort();
    return {Outcome::Failed, QString::fromUtf8(e.what()), 0};
  }
  QString error;
  if (!CommitFile(part, path, options.overwrite, &error)) return {Outcome::Failed, error, 0};
  return r;
}

}  // namespace book
