#pragma once
// The desktop shell's services the program uses: copying a folder with a progress window the
// user can cancel, and opening a link with the desktop's own handler.

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace platform {

// Result codes of CopyFolder, numbered like the shell's file-operation codes so that callers
// that only test for 0 keep working.
enum CopyResult : int {
  copyOk = 0,
  copySourceMissing = 2,   // the source folder does not exist
  copyAccessDenied = 5,    // a file could not be read or written
  copyBadTarget = 87,      // the destination is inside the source, or is not a folder
  copyCancelled = 1223,    // the user pressed Cancel in the progress window
  copyIncomplete = 1627,   // copied and kept, but some entries could not be (see leftOut)
};

struct CopyOutcome {
  int result = copyOk;
  bool anyOperationsAborted = false;  // the user cancelled
  QString copiedTo;                   // the folder created inside the destination
  QString error;                      // what went wrong, for the log; empty on success
  QStringList leftOut;                // copyIncomplete: what was not copied, relative to `from`
};

struct CopyOptions {
  bool showProgress = true;
  QWidget* progressParent = nullptr;
  // Called after every chunk written with (bytes done, bytes total); returning false cancels
  // the copy as the Cancel button does. Tests use it to cancel midway.
  std::function<bool(qint64 done, qint64 total)> onProgress;
};

// Copies the folder `from` with all its contents into the folder `to` (created when missing).
// When `to` already holds an entry of the same name, the copy is named "<name> (2)",
// "<name> (3)", ... instead of overwriting anything. A cancelled or failed copy removes the
// partial folder it created; nothing that was there before is touched. Symbolic links are
// copied as links, never followed; named pipes, sockets and device nodes as what they are,
// never opened. What the system does not let be made anew (a device node, for a user) is left
// out: the copy is kept and the result is copyIncomplete, naming it. Names are copied as the
// bytes they are, whatever the locale's encoding.
CopyOutcome CopyFolder(const QString& from, const QString& to, const CopyOptions& options = {});

// The name a copy of `name` takes inside `folder`: `name` itself when free, else the first free
// "<name> (N)" for N = 2, 3, ...
QString FreeNameIn(const QString& folder, const QString& name);

// Opens a web link, mail address or file with the desktop's default handler. Returns false
// when the desktop has no handler for it or the text is not a valid link.
bool OpenLink(const QString& link);

}  // namespace platform
