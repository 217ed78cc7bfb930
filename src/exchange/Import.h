#pragma once
// Importing terms into a glossary: first a plan that sets what a file holds against what the
// glossary holds (new terms, identical ones, conflicts, refusals), on which the user decides each
// conflict; then the plan is stored in one transaction, all of it or nothing.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "exchange/Exchange.h"

namespace exchange {

// Reads a file (or a source folder) of any format, by its name (FormatOfPath). A file that
// cannot be read whole is refused: *error names it and the line or element. `step(percent)`
// reports progress through a TBX file; when it returns false, reading stops and false is
// returned with *error empty.
bool ReadExchangeFile(const QString& path, Document* doc, QString* error,
                      const std::function<bool(int percent)>& step = {});

enum class ItemKind { New, Identical, Conflict, Refused };
enum class Choice { Mine, Theirs, Both };

struct PlanItem {
  Term incoming;
  ItemKind kind = ItemKind::New;
  QString reason;           // why it is refused
  qint64 letterId = 0;      // where a new term (or a kept-both copy) is filed
  QString letter;
  qint64 key = 0;           // the glossary's term of the same name (Identical, Conflict)
  qint64 version = 0;
  QString mineName;
  QByteArray mine;          // its stored definition
  QString bothName;         // Conflict: the name "keep both" stores the imported term under
  Choice choice = Choice::Mine;
};

struct Plan {
  QString folder;
  QString stamp;            // the terms table's stamp when the glossary was read
  QList<PlanItem> items;
  QStringList notes;        // from reading the file
  int Count(ItemKind kind) const;
};

// Sets `doc` against the glossary in `folder`. Names are compared as the glossary orders them
// (case and Ё/Е folded). `keepGoing` is asked now and then; when it returns false, planning
// stops and false is returned with *error empty.
bool MakePlan(const QString& folder, const Document& doc, Plan* plan, QString* error,
              const std::function<bool()>& keepGoing = {});

// The same choice for every conflict.
void ChooseForAll(Plan* plan, Choice choice);

struct ImportSummary {
  int added = 0;      // new terms
  int replaced = 0;   // conflicts resolved with the file's definition
  int keptBoth = 0;   // conflicts stored under a suffixed name
  int keptMine = 0;   // conflicts left as the glossary had them
  int identical = 0;  // skipped: already there, the same
  int refused = 0;
  QStringList notes;
  QString ToString() const;
};

// Stores the plan in one transaction. `step(done, total)` is called before each write; when it
// returns false the import stops and nothing is stored (Cancel, or a test's injected failure).
// When the glossary changed since the plan was made, nothing is stored either.
bool ApplyPlan(const Plan& plan, ImportSummary* summary, QString* error,
               const std::function<bool(int done, int total)>& step = {});

}  // namespace exchange
