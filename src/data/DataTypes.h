#pragma once
// The vocabulary of the data-access layer: dataset states, field types, the events a dataset
// tells its data sources, and the error every failure of the layer is thrown as.

#include <QString>

#include "base/Exception.h"

namespace data {

class TTable;
class TField;
class TDataSource;
class TDataLink;
using TDataSet = TTable;

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

inline bool IsEditMode(TDataSetState s) { return s == dsEdit || s == dsInsert; }

enum TFieldType { ftUnknown, ftString, ftSmallint, ftInteger, ftAutoInc, ftBlob, ftGraphic };

inline bool IsBlobType(TFieldType t) { return t == ftBlob || t == ftGraphic; }

// Characters a one-line name may not hold: control characters (a NUL cuts the name short for the
// store's own functions, a tab or a line break wraps its row), line and paragraph separators,
// and the marks that turn the direction of the text around them, which make a name read as
// something it is not.
inline bool IsControlInName(QChar c) {
  const char16_t u = c.unicode();
  return c.category() == QChar::Other_Control || u == 0x2028 || u == 0x2029 || (u >= 0x202A && u <= 0x202E) ||
         (u >= 0x2066 && u <= 0x2069);
}

// A name as pasted from elsewhere, made one line: a run of tabs and line breaks becomes one space,
// other such characters go.
inline QString NameWithoutControls(const QString& name) {
  QString out;
  out.reserve(name.size());
  bool gap = false;
  for (const QChar c : name) {
    if (!IsControlInName(c)) {
      if (gap && !out.isEmpty() && !out.back().isSpace() && !c.isSpace()) out += QLatin1Char(' ');
      gap = false;
      out += c;
    } else if (c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' || c.unicode() == 0x2028 ||
               c.unicode() == 0x2029) {
      gap = true;
    }
  }
  return out;
}

// What a dataset tells its data sources, and they their links.
enum TDataEvent {
  deFieldChange,
  deRecordChange,
  deDataSetChange,
  deDataSetScroll,
  deLayoutChange,
  deUpdateRecord,
  deUpdateState,
  deCheckBrowseMode,
  deFocusControl,
};

enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

// Failures are thrown as EDatabaseError carrying the text the user is shown. Code that runs from
// an event handler shows it through platform::Guarded; the dataset keeps its state, so a failed
// post leaves the record in edit or insert state with the user's changes.
class EDatabaseError : public base::Exception {
 public:
  using base::Exception::Exception;
};

[[noreturn]] inline void DatabaseError(const QString& message) { throw EDatabaseError(message); }

}  // namespace data
