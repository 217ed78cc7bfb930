#pragma once
// The glossary as a book: the whole glossary, one letter or the terms a search finds, as a PDF
// through the program's printer, printed on any printer, as a folder of web pages, or as one RTF
// document. Everything is produced letter by letter, so a large glossary is never held whole.

#include <QByteArray>
#include <QDate>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "book/BookTerm.h"

namespace platform {
class TPrinter;
}

namespace book {

// What goes into the book: everything, one letter, or what a search finds (both: the search's
// terms of that letter).
struct Selection {
  QString letter;
  QString query;
};

// A letter of the book and its terms' keys in the glossary's order.
struct BookLetter {
  qint64 id = 0;
  QString letter;
  std::vector<qint64> keys;
};

// Reads a glossary folder for a book.
class BookSource {
 public:
  BookSource();
  ~BookSource();
  bool Open(const QString& folder, QString* error);
  // The letters of the selection that have terms in it, in the glossary's order. An unknown
  // letter is an error; a search that finds nothing gives an empty plan.
  bool Plan(const Selection& selection, std::vector<BookLetter>* plan, QString* error);
  // The terms of one planned letter, definitions included.
  bool Terms(const BookLetter& letter, std::vector<BookTerm>* terms, QString* error);

 private:
  struct Impl;
  std::unique_ptr<Impl> d_;
};

enum class Outcome { Done, Cancelled, Failed };

struct Result {
  Outcome outcome = Outcome::Done;
  QString message;  // why, for Cancelled and Failed
  int pages = 0;    // PDF and print
  bool Ok() const { return outcome == Outcome::Done; }
};

// Where a link between terms leads. Links carry their target as the href of the text's anchor;
// `target` maps it to the key of the term it names (0: not a term of this book, the link stays
// as it is). The book turns a term's key into an anchor with TermAnchor.
using LinkTarget = std::function<qint64(const QString& href)>;
QString TermAnchor(qint64 key);

struct BookOptions {
  QString title;        // empty: the glossary's own
  QString author;       // empty: the program's name
  QDate date;           // null: today
  QString description;  // what was selected ("Буква К"), for the title page; may be empty
  int columns = 1;      // 1 or 2
  // Margins of the sheet in twips, as Page Setup gives them.
  int marginLeftTw = 1440, marginTopTw = 1440, marginRightTw = 1440, marginBottomTw = 1440;
  bool overwrite = false;    // an existing file or folder is replaced only with this
  bool singlePage = false;   // HTML: one page instead of one per letter
  LinkTarget linkTarget;
};

QString DefaultTitle();
QString DefaultAuthor();
// "11 декабря 2026 г."
QString RussianDate(const QDate& date);

// Writes the book as a PDF at `path` through the program's PDF printer (its paper and
// orientation), with an outline of the letters and the title and author set.
Result WritePdf(BookSource& source, const std::vector<BookLetter>& plan, const BookOptions& options,
                const QString& path, const Progress& progress = {});
// Prints the book on `printer` as it is set up (any printer; the PDF printer writes its file).
Result PrintBook(BookSource& source, const std::vector<BookLetter>& plan, const BookOptions& options,
                 platform::TPrinter& printer, const Progress& progress = {});
// Writes the book as web pages into the folder `dir`: index.html, a page per letter (or one page),
// style.css and the pictures in img/.
Result WriteHtml(BookSource& source, const std::vector<BookLetter>& plan, const BookOptions& options,
                 const QString& dir, const Progress& progress = {});
// Writes the book as one RTF document.
Result WriteRtf(BookSource& source, const std::vector<BookLetter>& plan, const BookOptions& options,
                const QString& path, const Progress& progress = {});

// The number of terms in a plan.
int TermCount(const std::vector<BookLetter>& plan);

}  // namespace book
