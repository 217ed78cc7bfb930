#pragma once
// The bundled glossary's readable source: one UTF-8 file per letter (terms/NN.txt, NN being the
// letter's record number), each entry a "## term" line followed by its definition in light
// markup. This unit reads that source and turns a definition's markup into a document.

#include <QList>
#include <QString>
#include <QStringList>

class QTextDocument;

namespace glossary {

// The letters of the letter bar, in record order: record N is Letters()[N - 1].
const QStringList& Letters();

// Longest term the term field holds.
constexpr int kMaxTermLength = 40;

struct Entry {
  int letter = 0;   // the letter's record number, 1..27
  QString term;
  QString markup;   // the definition as written, without the heading line
  QString file;     // where it was read, for messages
  int line = 0;     // line of the "## " heading
};

struct SourceError {
  QString file;
  int line = 0;  // 0 when the fault is the file as a whole
  QString message;
  QString ToString() const;  // "file:line: message"
};

// Parses the text of one letter's file. Stops at the first fault.
bool ParseLetterText(const QString& text, int letter, const QString& fileName, QList<Entry>* entries,
                     SourceError* error);

// Name of letter N's file inside the source folder ("01.txt" ... "27.txt").
QString LetterFileName(int letter);

// Reads all 27 files of a source folder, in letter order. Every file must be there and parse.
bool ReadSourceFolder(const QString& folder, QList<Entry>* entries, SourceError* error);

// Checks a definition's markup without building anything: unclosed ** or * markers.
// On a fault, *lineOffset is the 0-based line inside the markup.
bool CheckMarkup(const QString& markup, QString* message, int* lineOffset);

// Replaces the document's contents with the definition: paragraphs, bold, italic and bullet
// paragraphs carrying the engine's paragraph properties. Markup faults are not checked here
// (see CheckMarkup); stray markers are taken literally.
void MarkupToDocument(const QString& markup, QTextDocument* doc);

}  // namespace glossary
