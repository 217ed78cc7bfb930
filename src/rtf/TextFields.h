#pragma once
// Fields that have no result text (PAGE, DATE, EQ ...): one object character (kFieldObjectType)
// that keeps the instruction and shows the value it stands for, where there is one.

#include <QString>
#include <QTextDocument>

namespace rtf {

// The document's dynamic property that holds the number of the page being printed; a page
// field shows 1 when none is set.
constexpr const char* kPageNumberProperty = "rtfPageNumber";

// Registers the drawing of field characters on the document's layout. Safe to call more than
// once.
void RegisterFieldObjects(QTextDocument* doc);

// What a field instruction stands for on the given page: the page number for PAGE, today's date
// for DATE (in the \@ picture when one is given), nothing for a field with no sensible value.
QString FieldValue(const QString& instruction, int page);

}  // namespace rtf
