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
