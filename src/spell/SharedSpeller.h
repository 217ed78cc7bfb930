#pragma once
// The program's one spell checker. Loading a dictionary takes a moment, so it is loaded on a
// thread of its own the first time it is asked for; until then there is none and nothing is
// underlined. Everything else runs on the main thread.
#include <QObject>

#include "spell/Speller.h"

namespace spell {

// Where the program's speller reads from; set at program start, before the first use.
void ConfigureSharedSpeller(const TSpellerFiles& Files);
const TSpellerFiles& SharedSpellerFiles();

// The speller once loaded, else nullptr (and the load is started).
TSpeller* SharedSpeller();
// Waits for the load; tests and the spelling dialog, which cannot go on without it.
TSpeller* WaitForSharedSpeller();
// Drops the speller, so that the next use loads it again from the configured files.
void ResetSharedSpeller();

// Tells the views when the speller has loaded or learned a word.
class TSpellNotifier : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;
 signals:
  void Changed();
};
TSpellNotifier* SpellNotifier();
// After a word was added or ignored: the views check again.
void NotifySpellingChanged();

// Whether the user has been told that there is no dictionary; set by whoever tells.
bool& NoDictionaryReported();

}  // namespace spell
