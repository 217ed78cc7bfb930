// The book as web pages that open in any browser without a server: index.html with the alphabet,
// a page per letter (or one page for everything) with an anchor per term, style.css, and the
// pictures as files in img/. The definitions' formatting is written as HTML5 of our own making,
// paragraph by paragraph, so that the pages validate and read on a phone.

#include <QCoreApplication>
#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <QUrl>
#include <unordered_map>

#include "book/Book.h"
#include "book/BookEntries.h"
#include "book/BookFiles.h"
#include "rtf/Numbering.h"
#include "rtf/RtfReader.h"
#include "rtf/TextFields.h"
#include "rtf/TextModel.h"
#include "rtf/TextObjects.h"

namespace book {

namespace {

QString Escape(const QString& s) { return s.toHtmlEscaped(); }

QString Px(int tw) { return QString::number(qRound(tw / 15.0)) + QStringLiteral("px"); }

const char kStyle[] = R"(*,*::before,*::after{box-sizing:border-box}
html{-webkit-text-size-adjust:100%;text-size-adjust:100%}
body{margin:0 auto;max-width:46em;padding:1em 1.25em 3em;font-family:Georgia,"DejaVu Serif",serif;
line-height:1.5;color:#1b1b1b;background:#fffdf7}
h1{font-size:2.4em;margin:.4em 0 .6em;text-align:center}
.alphabet{display:flex;flex-wrap:wrap;gap:.3em;list-style:none;padding:0;margin:1em 0;justify-content:center}
.alphabet a{display:block;min-width:2.2em;padding:.35em .5em;text-align:center;border:1px solid #d9c9a3;
border-radius:.4em;text-decoration:none;color:#6b4a00;background:#fff6dc;font-weight:bold}
.alphabet a:hover,.alphabet a:focus{background:#f3d98b}
.alphabet .current a{background:#e0b43a;color:#1b1b1b}
.meta{text-align:center;color:#555}
.term{margin:0 0 1.1em;padding-bottom:.6em;border-bottom:1px solid #eee3c8}
.term p{margin:.25em 0}
.letter{margin-top:2em}
img{max-width:100%;height:auto}
table{border-collapse:collapse;margin:.5em 0;max-width:100%;display:block;overflow-x:auto}
td,th{border:1px solid #bbb;padding:.25em .5em;vertical-align:top}
.pager{display:flex;justify-content:space-between;margin-top:2em}
@media (max-width:36em){body{font-size:1.05em;padding:.75em}h1{font-size:2em}
.term p{margin-left:0!important;text-indent:0!important}
.term p[style*="justify"]{text-align:left!important}}
@media print{.alphabet,.pager{display:none}body{background:none;max-width:none}}
)";

class HtmlWriter {
 public:
  HtmlWriter(const QString& dir, const std::vector<BookLetter>& plan, const BookOptions& o) : dir_(dir), plan_(plan), o_(o) {
    for (size_t i = 0; i < plan.size(); ++i)
      for (qint64 key : plan[i].keys) letterOf_[key] = int(i);
  }

  QString PageOf(int letter) const {
    return o_.singlePage ? QString() : QStringLiteral("letter-%1.html").arg(letter + 1, 2, 10, QLatin1Char('0'));
  }
  QString LetterLink(int letter) const {
    return o_.singlePage ? QStringLiteral("#l-%1").arg(letter + 1) : PageOf(letter);
  }

  QString Head(const QString& title) const {
    return QStringLiteral("<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n"
                          "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                          "<title>%1</title>\n<link rel=\"stylesheet\" href=\"style.css\">\n</head>\n<body>\n")
        .arg(Escape(title));
  }
  static QString Tail() { return QStringLiteral("</body>\n</html>\n"); }

  QString Alphabet(int current) const {
    QString s = QStringLiteral("<nav aria-label=\"Алфавит\"><ul class=\"alphabet\">");
    for (size_t i = 0; i < plan_.size(); ++i)
      s += QStringLiteral("<li%1><a href=\"%2\">%3</a></li>")
               .arg(int(i) == current ? QStringLiteral(" class=\"current\"") : QString(), LetterLink(int(i)),
                    Escape(plan_[i].letter));
    return s + QStringLiteral("</ul></nav>\n");
  }

  QString TitleBlock() const {
    const QString title = o_.title.isEmpty() ? DefaultTitle() : o_.title;
    QString s = QStringLiteral("<header>\n<h1>%1</h1>\n").arg(Escape(title));
    QString meta = o_.description;
    const QString date = RussianDate(o_.date.isValid() ? o_.date : QDate::currentDate());
    meta += (meta.isEmpty() ? QString() : QStringLiteral(" · ")) + date;
    s += QStringLiteral("<p class=\"meta\">%1</p>\n</header>\n").arg(Escape(meta));
    return s;
  }

  // One term: its anchor, its name where the definition does not open with it, its definition.
  QString Term(const BookTerm& t) {
    QTextDocument doc;
    QTextCursor c(&doc);
    if (!(rtf::LooksLikeRtf(t.definition) && rtf::ReadRtf(t.definition, c))) {
      doc.clear();
      QTextCursor plain(&doc);
      plain.insertText(QString::fromUtf8(t.definition).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    }
    QString s = QStringLiteral("<div class=\"term\" id=\"%1\">\n").arg(TermAnchor(t.key));
    if (!OpensWithName(doc.toPlainText(), t.word)) s += QStringLiteral("<p><b>%1</b></p>\n").arg(Escape(t.word));
    baseSize_ = 0;
    s += Content(doc.rootFrame()->begin(), doc.rootFrame()->end());
    return s + QStringLiteral("</div>\n");
  }

  bool Failed() const { return !error_.isEmpty(); }
  const QString& Error() const { return error_; }

 private:
  QString Content(QTextFrame::iterator it, const QTextFrame::iterator& end) {
    QString s;
    int listKind = 0;  // the list open: its numbering kind, 0 for none
    const auto closeList = [&] {
      if (listKind) s += listKind == rtf::kBulletNumbering ? QStringLiteral("</ul>\n") : QStringLiteral("</ol>\n");
      listKind = 0;
    };
    for (; it != end; ++it) {
      if (QTextFrame* frame = it.currentFrame()) {
        closeList();
        if (auto* table = qobject_cast<QTextTable*>(frame)) s += Table(table);
        else s += Content(frame->begin(), frame->end());
        continue;
      }
      const QTextBlock b = it.currentBlock();
      if (!b.isValid() || b.blockFormat().boolProperty(rtf::kStructural)) continue;
      const int kind = b.blockFormat().intProperty(rtf::kNumbering);
      if (kind != listKind) {
        closeList();
        if (kind) {
          if (kind == rtf::kBulletNumbering) s += QStringLiteral("<ul>\n");
          else {
            static const char* const types[] = {"", "", "1", "a", "A", "i", "I"};
            const int start = b.blockFormat().intProperty(rtf::kNumberingStart);
            s += QStringLiteral("<ol type=\"%1\"%2>\n")
                     .arg(QLatin1String(kind >= 2 && kind <= 6 ? types[kind] : "1"),
                          start > 1 ? QStringLiteral(" start=\"%1\"").arg(start) : QString());
          }
          listKind = kind;
        }
      }
      s += Block(b, listKind != 0);
    }
    closeList();
    return s;
  }

  QString Table(QTextTable* t) {
    QString s = QStringLiteral("<table>\n");
    for (int r = 0; r < t->rows(); ++r) {
      s += QStringLiteral("<tr>");
      for (int col = 0; col < t->columns(); ++col) {
        const QTextTableCell cell = t->cellAt(r, col);
        if (!cell.isValid() || cell.row() != r || cell.column() != col) continue;  // merged into another
        QString span;
        if (cell.rowSpan() > 1) span += QStringLiteral(" rowspan=\"%1\"").arg(cell.rowSpan());
        if (cell.columnSpan() > 1) span += QStringLiteral(" colspan=\"%1\"").arg(cell.columnSpan());
        s += QStringLiteral("<td%1>").arg(span) + Content(cell.begin(), cell.end()) + QStringLiteral("</td>");
      }
      s += QStringLiteral("</tr>\n");
    }
    return s + QStringLiteral("</table>\n");
  }

  QString Block(const QTextBlock& b, bool item) {
    const QTextBlockFormat f = b.blockFormat();
    QStringList style;
    switch (rtf::Alignment(f)) {
      case rtf::kAlignCenter: style << QStringLiteral("text-align:center"); break;
      case rtf::kAlignRight: style << QStringLiteral("text-align:right"); break;
      case rtf::kAlignJustify: style << QStringLiteral("text-align:justify"); break;
      default: break;
    }
    if (!item) {
      const int left = rtf::StartIndentTw(f) + rtf::OffsetTw(f);
      if (left > 0) style << QStringLiteral("margin-left:") + Px(left);
      if (rtf::OffsetTw(f) != 0) style << QStringLiteral("text-indent:") + Px(-rtf::OffsetTw(f));
    }
    if (rtf::SpaceBeforeTw(f) > 0) style << QStringLiteral("margin-top:") + Px(rtf::SpaceBeforeTw(f));
    if (rtf::SpaceAfterTw(f) > 0) style << QStringLiteral("margin-bottom:") + Px(rtf::SpaceAfterTw(f));
    QString inner;
    for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) inner += Fragment(it.fragment());
    if (inner.isEmpty()) inner = QStringLiteral("<br>");
    const QString attr = style.isEmpty() ? QString() : QStringLiteral(" style=\"%1\"").arg(style.join(QLatin1Char(';')));
    const QString tag = item ? QStringLiteral("li") : QStringLiteral("p");
    return QStringLiteral("<%1%2>%3</%1>\n").arg(tag, attr, inner);
  }

  QString Fragment(const QTextFragment& frag) {
    const QTextCharFormat f = frag.charFormat();
    if (f.boolProperty(rtf::kHidden)) return {};
    QString body;
    if (f.objectType() == rtf::kFieldObjectType) {
      body = Escape(rtf::FieldValue(f.stringProperty(rtf::kFieldInst), 1));
    } else if (f.objectType() == rtf::kEmbeddedObjectType) {
      for (int i = 0; i < frag.length(); ++i) body += Image(f);
      return body;
    } else {
      QString text = frag.text();
      text.remove(QChar::ObjectReplacementCharacter);
      for (QChar& ch : text)
        if (ch == QChar::Tabulation) ch = QLatin1Char(' ');
      body = Escape(text);
      body.replace(QChar::LineSeparator, QLatin1String("<br>"));
      body.replace(QChar(0x0B), QLatin1String("<br>"));
    }
    if (body.isEmpty()) return {};

    QStringList style;
    const qreal size = f.fontPointSize();
    if (size > 0) {
      if (baseSize_ <= 0) baseSize_ = size;
      else if (std::abs(size - baseSize_) > 0.5)
        style << QStringLiteral("font-size:%1em").arg(QString::number(size / baseSize_, 'f', 2));
    }
    if (f.foreground().style() != Qt::NoBrush && f.foreground().color() != Qt::black)
      style << QStringLiteral("color:") + f.foreground().color().name();
    if (f.background().style() != Qt::NoBrush && f.background().color().alpha() > 0 &&
        f.background().color() != Qt::white)
      style << QStringLiteral("background-color:") + f.background().color().name();
    if (!style.isEmpty()) body = QStringLiteral("<span style=\"%1\">%2</span>").arg(style.join(QLatin1Char(';')), body);
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript) body = QStringLiteral("<sup>") + body + QStringLiteral("</sup>");
    if (f.verticalAlignment() == QTextCharFormat::AlignSubScript) body = QStringLiteral("<sub>") + body + QStringLiteral("</sub>");
    if (f.fontStrikeOut()) body = QStringLiteral("<s>") + body + QStringLiteral("</s>");
    if (f.fontUnderline() && !f.isAnchor()) body = QStringLiteral("<u>") + body + QStringLiteral("</u>");
    if (f.fontItalic()) body = QStringLiteral("<i>") + body + QStringLiteral("</i>");
    if (f.fontWeight() >= QFont::DemiBold) body = QStringLiteral("<b>") + body + QStringLiteral("</b>");
    if (f.isAnchor() && !f.anchorHref().isEmpty()) {
      const QString href = Href(f.anchorHref());
      if (!href.isEmpty()) body = QStringLiteral("<a href=\"%1\">%2</a>").arg(Escape(href), body);
    }
    return body;
  }

  // Where a link goes: a term of the book by its anchor, a web address as it is; anything else
  // (a script, a file of the writer's machine) is no link on a web page.
  QString Href(const QString& href) const {
    if (o_.linkTarget) {
      const qint64 key = o_.linkTarget(href);
      if (auto it = letterOf_.find(key); key && it != letterOf_.end())
        return PageOf(it->second) + QLatin1Char('#') + TermAnchor(key);
    }
    const QString scheme = QUrl(href).scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("mailto")) return href;
    return {};
  }

  QString Image(const QTextCharFormat& f) {
    const QImage image = rtf::ObjectImage(f);
    if (image.isNull()) return {};
    QByteArray png;
    {
      QBuffer buffer(&png);
      buffer.open(QIODevice::WriteOnly);
      image.save(&buffer, "PNG");
    }
    const QByteArray hash = QCryptographicHash::hash(png, QCryptographicHash::Sha1).toHex().left(16);
    auto it = images_.find(hash);
    if (it == images_.end()) {
      const QString name = QStringLiteral("img/%1.png").arg(QString::fromLatin1(hash));
      QFile out(QDir(dir_).filePath(name));
      if (!QDir(dir_).mkpath(QStringLiteral("img")) || !out.open(QIODevice::WriteOnly) || out.write(png) != png.size()) {
        error_ = QStringLiteral("\"%1\" could not be written: %2").arg(out.fileName(), out.errorString());
        return {};
      }
      it = images_.emplace(hash, name).first;
    }
    const QSizeF size = rtf::ObjectSize(f);
    return QStringLiteral("<img src=\"%1\" alt=\"\" width=\"%2\" height=\"%3\">")
        .arg(it->second)
        .arg(std::max(1, qRound(size.width())))
        .arg(std::max(1, qRound(size.height())));
  }

  QString dir_;
  const std::vector<BookLetter>& plan_;
  const BookOptions& o_;
  std::unordered_map<qint64, int> letterOf_;
  std::map<QByteArray, QString> images_;
  qreal baseSize_ = 0;
  QString error_;
};

bool WriteText(const QString& path, const QString& text, QString* error) {
  QFile f(path);
  const QByteArray bytes = text.toUtf8();
  if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.flush()) {
    *error = QStringLiteral("\"%1\" could not be written: %2").arg(QDir::toNativeSeparators(path), f.errorString());
    return false;
  }
  return true;
}

// Puts the finished folder in place of `dir`; an existing one goes only with leave to overwrite,
// and only once the new one is complete.
bool CommitFolder(const QString& part, const QString& dir, bool overwrite, QString* error) {
  const QFileInfo fi(dir);
  if (fi.exists()) {
    if (!fi.isDir()) {
      *error = QStringLiteral("\"%1\" exists and is not a folder.").arg(QDir::toNativeSeparators(dir));
      return false;
    }
    QDir existing(dir);
    const bool empty = existing.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    if (!empty && !overwrite) {
      *error = QStringLiteral("\"%1\" already exists.").arg(QDir::toNativeSeparators(dir));
      return false;
    }
    const QString old = PartPath(dir) + QStringLiteral(".old");
    if (!QDir().rename(dir, old)) {
      *error = QStringLiteral("\"%1\" could not be replaced.").arg(QDir::toNativeSeparators(dir));
      return false;
    }
    if (!QDir().rename(part, dir)) {
      QDir().rename(old, dir);
      *error = QStringLiteral("\"%1\" could not be written.").arg(QDir::toNativeSeparators(dir));
      return false;
    }
    QDir(old).removeRecursively();
    return true;
  }
  if (!QDir().rename(part, dir)) {
    *error = QStringLiteral("\"%1\" could not be written.").arg(QDir::toNativeSeparators(dir));
    return false;
  }
  return true;
}

}  // namespace

Result WriteHtml(BookSource& source, const std::vector<BookLetter>& plan, const BookOptions& options,
                 const QString& dir, const Progress& progress) {
  const QFileInfo target(dir);
  if (target.exists() && (!target.isDir() || (!options.overwrite && !QDir(dir).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))))
    return {Outcome::Failed, QStringLiteral("\"%1\" already exists.").arg(QDir::toNativeSeparators(dir)), 0};
  const QString part = PartPath(QFileInfo(dir).absoluteFilePath());
  QDir(part).removeRecursively();
  if (!QDir().mkpath(part))
    return {Outcome::Failed, QCoreApplication::translate("Book", "The folder \"%1\" could not be made.").arg(QDir::toNativeSeparators(part)), 0};
  bool keep = false;
  struct Drop {
    const QString& part;
    bool& keep;
    ~Drop() {
      if (!keep) QDir(part).removeRecursively();
    }
  } drop{part, keep};

  HtmlWriter w(part, plan, options);
  QString error;
  const QString title = options.title.isEmpty() ? DefaultTitle() : options.title;
  if (!WriteText(QDir(part).filePath(QStringLiteral("style.css")), QString::fromUtf8(kStyle), &error))
    return {Outcome::Failed, error, 0};

  const int total = TermCount(plan);
  int done = 0;
  QFile single;
  if (options.singlePage) {
    single.setFileName(QDir(part).filePath(QStringLiteral("index.html")));
    if (!single.open(QIODevice::WriteOnly))
      return {Outcome::Failed, QStringLiteral("\"%1\" could not be written: %2").arg(single.fileName(), single.errorString()), 0};
    single.write((w.Head(title) + w.TitleBlock() + w.Alphabet(-1) + QStringLiteral("<main>\n")).toUtf8());
  } else {
    QString index = w.Head(title) + w.TitleBlock() + w.Alphabet(-1) + QStringLiteral("<main>\n<ul>\n");
    for (size_t i = 0; i < plan.size(); ++i)
      index += QStringLiteral("<li><a href=\"%1\">%2</a> — %3</li>\n")
                   .arg(w.PageOf(int(i)), Escape(plan[i].letter))
                   .arg(plan[i].keys.size());
    index += QStringLiteral("</ul>\n</main>\n") + HtmlWriter::Tail();
    if (!WriteText(QDir(part).filePath(QStringLiteral("index.html")), index, &error)) return {Outcome::Failed, error, 0};
  }

  std::vector<BookTerm> terms;
  for (size_t i = 0; i < plan.size(); ++i) {
    if (!source.Terms(plan[i], &terms, &error)) return {Outcome::Failed, error, 0};
    QString page;
    if (options.singlePage)
      page = QStringLiteral("<section class=\"letter\" id=\"l-%1\">\n<h2>%2</h2>\n").arg(i + 1).arg(Escape(plan[i].letter));
    else
      page = w.Head(plan[i].letter + QStringLiteral(" — ") + title) + w.Alphabet(int(i)) +
             QStringLiteral("<main>\n<h1>%1</h1>\n").arg(Escape(plan[i].letter));
    for (const BookTerm& t : terms) {
      page += w.Term(t);
      if (w.Failed()) return {Outcome::Failed, w.Error(), 0};
      if (progress && !progress(++done, total)) return {Outcome::Cancelled, QCoreApplication::translate("Book", "The export was cancelled."), 0};
    }
    if (options.singlePage) {
      page += QStringLiteral("</section>\n");
      if (single.write(page.toUtf8()) < 0) return {Outcome::Failed, single.errorString(), 0};
      continue;
    }
    page += QStringLiteral("</main>\n<nav class=\"pager\" aria-label=\"Буквы\">");
    page += i > 0 ? QStringLiteral("<a href=\"%1\">← %2</a>").arg(w.PageOf(int(i) - 1), Escape(plan[i - 1].letter))
                  : QStringLiteral("<a href=\"index.html\">← Содержание</a>");
    if (i + 1 < plan.size())
      page += QStringLiteral("<a href=\"%1\">%2 →</a>").arg(w.PageOf(int(i) + 1), Escape(plan[i + 1].letter));
    page += QStringLiteral("</nav>\n") + HtmlWriter::Tail();
    if (!WriteText(QDir(part).filePath(w.PageOf(int(i))), page, &error)) return {Outcome::Failed, error, 0};
  }
  if (options.singlePage) {
    single.write((QStringLiteral("</main>\n") + HtmlWriter::Tail()).toUtf8());
    if (!single.flush() || single.error() != QFileDevice::NoError)
      return {Outcome::Failed, QStringLiteral("\"%1\" could not be written: %2").arg(single.fileName(), single.errorString()), 0};
    single.close();
  }
  if (!CommitFolder(part, QFileInfo(dir).absoluteFilePath(), options.overwrite, &error)) return {Outcome::Failed, error, 0};
  keep = true;
  return {};
}

}  // namespace book
