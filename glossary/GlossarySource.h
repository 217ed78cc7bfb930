#pragma once
// The bundled glossary's readable source: one UTF-8 file per letter (terms/NN.txt, NN being the
// letter's record number), each entry a "## term" line followed by its definition in light
// markup. This unit reads that source and turns a definition's markup into a document.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QTextDocument;

namespace glossary {

// The letters of the letter bar, in record order: record N is Letters()[N - 1].
const QStringList& Letters();

// Longest term the term field holds.
constexpr int kMaxTermLength = 40;

// A cross-reference written in a definition as [[Term]] or [[Term|shown text]].
struct Reference {
  QString target;  // the term referred to, as written
  int line = 0;    // where it was written: a file line in an Entry, a markup line (0-based)
                   // from CheckMarkup
};

struct Entry {
  int letter = 0;   // the letter's record number, 1..27
  QString term;
  QString markup;   // the definition as written, without the heading line
  QString file;     // where it was read, for messages
  int line = 0;     // line of the "## " heading
  QList<Reference> references;  // the cross-references in the definition, in order
};

struct SourceError {
  QString file;
  int line = 0;  // 0 when the fault is the file as a whole
  QString message;
  QString ToString() const;  // "file:line: message"
};

// Terms as the term index compares them: case-insensitive, Ё as Е.
QString TermKey(const QString& term);

// Parses the text of one letter's file. Stops at the first fault. Cross-references are collected
// but not resolved: their targets may be in other files (see CheckEntries).
// `houseStyle` asks for the bundled glossary's editorial rules too (a bold lead, non-breaking
// spaces before units); a user's own glossary is not held to them.
bool ParseLetterText(const QString& text, int letter, const QString& fileName, QList<Entry>* entries,
                     SourceError* error, bool houseStyle = true);

// Name of letter N's file inside the source folder ("01.txt" ... "27.txt").
QString LetterFileName(int letter);

// Checks what no single file can: the same term twice across the files, and a cross-reference
// whose target is no term (or is the entry's own term).
bool CheckEntries(const QList<Entry>& entries, SourceError* error);

// A source folder holding a file of this name is a user's glossary written by an export: the
// house style is not asked of it.
inline constexpr char kUserGlossaryMarker[] = "termora-user-glossary.txt";

// Reads all 27 files of a source folder, in letter order. Every file must be there and parse,
// and the whole must pass CheckEntries.
bool ReadSourceFolder(const QString& folder, QList<Entry>* entries, SourceError* error);

// Checks a definition's markup without building anything: unclosed ** or * markers, malformed
// [[...]] cross-references, a number and its unit not joined by a non-breaking space.
// On a fault, *lineOffset is the 0-based line inside the markup. The cross-references found are
// appended to *references when given.
bool CheckMarkup(const QString& markup, QString* message, int* lineOffset,
                 QList<Reference>* references = nullptr, bool houseStyle = true);

// Replaces the document's contents with the definition: paragraphs, bold, italic and bullet
// paragraphs carrying the engine's paragraph properties. A cross-reference shows its text, as a
// link to what `linkTo` gives for its target (plain text without `linkTo`, or where it gives
// nothing). Markup faults are not checked here (see CheckMarkup); a paragraph with a fault is
// taken literally.
void MarkupToDocument(const QString& markup, QTextDocument* doc,
                      const std::function<QString(const QString& target)>& linkTo = nullptr);

}  // namespace glossary
