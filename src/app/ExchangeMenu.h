#pragma once
// Exporting and importing terms from the glossary window: the items on the term grid's context
// menu and what they do.

#include <QString>

namespace app {

class TForm1;

// Adds "Экспорт терминов…" and "Импорт терминов…" to the term grid's context menu.
void InstallExchangeActions(TForm1* form);

// Export: asks which terms (the glossary, the current letter, the current term, what the search
// field finds) and where.
void ExportTerms(TForm1* form);
// Import: asks for a file, reads it, shows the review, stores what the user settles on.
void ImportTerms(TForm1* form, const QString& path = QString());

}  // namespace app
