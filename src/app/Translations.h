#pragma once
// The interface's language: Russian under a Russian locale, English (the texts in the code)
// under any other.

#include <QString>

namespace app {

// The language the environment asks for, as gettext reads it: the first entry of LANGUAGE when
// set, else LC_ALL, LC_MESSAGES, LANG. True when that is Russian ("ru", "ru_RU.UTF-8" ...).
bool RussianWanted(const QString& language, const QString& lcAll, const QString& lcMessages, const QString& lang);
bool RussianWanted();

// Installs the program's Russian texts and Qt's own (dialogs, standard buttons) and fills the
// rich text component's text records with them. Once per run, before any window; returns false
// when the program's own catalogue cannot be loaded (the interface then stays English). Qt's
// catalogue is taken where the system keeps it; without it Qt's dialogs stay English.
bool InstallRussian();

// Installs the Russian interface when the environment asks for it (see RussianWanted).
void InstallInterfaceLanguage();

}  // namespace app
