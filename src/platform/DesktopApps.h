#pragma once
// The desktop's applications: those that open a type, as its desktop entries list them, and
// starting one on a file.

#include <QList>
#include <QString>

namespace platform {

struct TDesktopApplication {
  QString id;    // the desktop entry's file name
  QString name;
  QString exec;
};
// The desktop's applications that say they open the type (or a type it derives from).
QList<TDesktopApplication> ApplicationsFor(const QString& mimeType);

// Starts an application on a file: a desktop entry's Exec line with its field codes filled in,
// or a command line with the file added.
bool LaunchWith(const QString& path, const QString& application);

}  // namespace platform
