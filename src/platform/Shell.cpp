#include "platform/Shell.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QUrl>
#include <memory>
#include <vector>

#include "base/ScopeGuard.h"
#include "platform/Question.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace platform {

namespace {

// Paths are handled as the bytes the file system holds: a name that is not valid in the
// locale's encoding is copied as it is, not skipped or mangled on its way through a QString.
struct Entry {
  enum Kind { Dir, File, Link, Fifo, Special } kind;
  QByteArray rel;  // relative to the source folder
  qint64 size = 0;
  mode_t mode = 0;
  dev_t device = 0;  // of a device node
};

QByteArray Join(const QByteArray& a, const QByteArray& b) { return b.isEmpty() ? a : a + '/' + b; }

// How a name is shown to the user: readable where it can be, never claiming to be exact.
QString Shown(const QByteArray& path) { return QFile::decodeName(path); }

QString SystemError(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// Lists the tree first, so the progress window knows the total and a copy can never descend
// into its own output. Each entry is taken for what it is (lstat), never followed or opened.
bool ListTree(const QByteArray& root, const QByteArray& rel, std::vector<Entry>& out, QString* error) {
  const QByteArray path = Join(root, rel);
  DIR* dir = ::opendir(path.constData());
  if (!dir) {
    *error = QStringLiteral("cannot read the folder %1: %2").arg(Shown(path), SystemError(errno));
    return false;
  }
  base::ScopeGuard closeDir([dir] { ::closedir(dir); });
  std::vector<QByteArray> names;
  errno = 0;
  while (const dirent* d = ::readdir(dir)) {
    const QByteArray name(d->d_name);
    if (name != "." && name != "..") names.push_back(name);
  }
  if (errno != 0) {
    *error = QStringLiteral("cannot read the folder %1: %2").arg(Shown(path), SystemError(errno));
    return false;
  }
  std::sort(names.begin(), names.end());
  for (const QByteArray& name : names) {
    const QByteArray r = rel.isEmpty() ? name : rel + '/' + name;
    struct stat st {};
    if (::lstat(Join(root, r).constData(), &st) != 0) {
      *error = QStringLiteral("cannot read %1: %2").arg(Shown(Join(root, r)), SystemError(errno));
      return false;
    }
    if (S_ISLNK(st.st_mode)) {
      out.push_back({Entry::Link, r, 0, st.st_mode, 0});
    } else if (S_ISDIR(st.st_mode)) {
      out.push_back({Entry::Dir, r, 0, st.st_mode, 0});
      if (!ListTree(root, r, out, error)) return false;
    } else if (S_ISREG(st.st_mode)) {
      out.push_back({Entry::File, r, qint64(st.st_size), st.st_mode, 0});
    } else if (S_ISFIFO(st.st_mode)) {
      // Reading a named pipe waits for a writer that may never come: it is made anew instead.
      out.push_back({Entry::Fifo, r, 0, st.st_mode, 0});
    } else {
      out.push_back({Entry::Special, r, 0, st.st_mode, st.st_rdev});
    }
  }
  return true;
}

// Removes a tree by its bytes: QDir would pass over the names it cannot decode and leave the
// folder behind.
int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }
void RemoveTree(const QByteArray& path) { ::nftw(path.constData(), RemoveEntry, 64, FTW_DEPTH | FTW_PHYS); }

// The link's own text, so relative links stay relative in the copy.
QByteArray LinkText(const QByteArray& path) {
  QByteArray buf(4096, Qt::Uninitialized);
  const ssize_t n = ::readlink(path.constData(), buf.data(), size_t(buf.size()));
  return n <= 0 ? QByteArray() : buf.left(qsizetype(n));
}

bool IsInside(const QString& inner, const QString& outer) {
  return inner == outer || inner.startsWith(outer + QLatin1Char('/'));
}

// Walks up to the nearest existing folder, so a destination that does not exist yet still
// resolves through symbolic links.
QString ResolvedPath(const QString& path) {
  QString p = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
  QString tail;
  while (!QFileInfo::exists(p)) {
    const int cut = p.lastIndexOf(QLatin1Char('/'));
    if (cut <= 0) return QDir::cleanPath(path);
    tail = p.mid(cut) + tail;
    p = p.left(cut);
  }
  return QDir::cleanPath(QFileInfo(p).canonicalFilePath() + tail);
}

class Copier {
 public:
  Copier(const CopyOptions& o, qint64 total) : options_(o), total_(total > 0 ? total : 1) {
    if (o.showProgress) {
      progress_ = std::make_unique<QProgressDialog>(QCoreApplication::translate("Shell", "Copying..."), QCoreApplication::translate("Shell", "Cancel"), 0,
                                                    1000, o.progressParent);
      progress_->setWindowTitle(ApplicationTitle());
      progress_->setWindowModality(o.progressParent ? Qt::WindowModal : Qt::ApplicationModal);
      progress_->setMinimumDuration(400);
      progress_->setAutoClose(false);
      progress_->setAutoReset(false);
      progress_->setValue(0);
    }
  }

  // False once the user has cancelled.
  bool Step(qint64 bytes, const QString& name) {
    done_ += bytes;
    if (progress_) {
      if (!name.isEmpty()) progress_->setLabelText(QCoreApplication::translate("Shell", "Copying %1").arg(name));
      progress_->setValue(int(qMin<qint64>(1000, done_ * 1000 / total_)));
      // The copy runs on the window's thread: let it repaint and see the Cancel button.
      QCoreApplication::processEvents();
      if (progress_->wasCanceled()) cancelled_ = true;
    }
    if (options_.onProgress && !options_.onProgress(done_, total_)) cancelled_ = true;
    return !cancelled_;
  }

  bool Cancelled() const { return cancelled_; }

  // 0 when copied; else a result code with `error` set.
  int CopyFile(const QByteArray& from, const QByteArray& to, mode_t mode, const QString& shown, QString* error) {
    // Opened without waiting, and only as the regular file it was listed as: something put in
    // its place since (a pipe) must not block the copy.
    const int in = ::open(from.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (in < 0) {
      *error = QStringLiteral("cannot read %1: %2").arg(Shown(from), SystemError(errno));
      return copyAccessDenied;
    }
    base::ScopeGuard closeIn([in] { ::close(in); });
    struct stat st {};
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
      *error = QStringLiteral("%1 is no longer a regular file").arg(Shown(from));
      return copyAccessDenied;
    }
    ::fcntl(in, F_SETFL, ::fcntl(in, F_GETFL) & ~O_NONBLOCK);
    const int out = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0) {
      *error = QStringLiteral("cannot create %1: %2").arg(Shown(to), SystemError(errno));
      return copyAccessDenied;
    }
    base::ScopeGuard closeOut([out] { ::close(out); });
    if (!Step(0, shown)) return copyCancelled;
    constexpr qint64 kChunk = 1 << 20;
    QByteArray buf(kChunk, Qt::Uninitialized);
    for (;;) {
      const ssize_t got = ::read(in, buf.data(), size_t(buf.size()));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        *error = QStringLiteral("cannot read %1: %2").arg(Shown(from), SystemError(errno));
        return copyAccessDenied;
      }
      if (got == 0) break;
      for (ssize_t put = 0; put < got;) {
        const ssize_t n = ::write(out, buf.constData() + put, size_t(got - put));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
          *error = QStringLiteral("cannot write %1: %2").arg(Shown(to), SystemError(errno));
          return copyAccessDenied;
        }
        put += n;
      }
      if (!Step(got, QString())) return copyCancelled;
    }
    if (::fsync(out) != 0) {
      *error = QStringLiteral("cannot write %1: %2").arg(Shown(to), SystemError(errno));
      return copyAccessDenied;
    }
    ::fchmod(out, mode & 07777);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out, times);
    return copyOk;
  }

 private:
  const CopyOptions& options_;
  qint64 total_;
  qint64 done_ = 0;
  bool cancelled_ = false;
  std::unique_ptr<QProgressDialog> progress_;
};

}  // namespace

QString FreeNameIn(const QString& folder, const QString& name) {
  const QDir dir(folder);
  auto taken = [&](const QString& n) {
    const QFileInfo fi(dir.filePath(n));
    return fi.exists() || fi.isSymLink();
  };
  if (!taken(name)) return name;
  for (int n = 2;; ++n) {
    const QString candidate = QStringLiteral("%1 (%2)").arg(name).arg(n);
    if (!taken(candidate)) return candidate;
  }
}

CopyOutcome CopyFolder(const QString& from, const QString& to, const CopyOptions& options) {
  CopyOutcome r;
  const QFileInfo src(from);
  if (!src.exists() || !src.isDir()) {
    r.result = copySourceMissing;
    r.error = QStringLiteral("the folder %1 does not exist").arg(from);
    return r;
  }
  const QString srcPath = src.canonicalFilePath();
  const QString dstPath = ResolvedPath(to);
  if (IsInside(dstPath, srcPath)) {
    r.result = copyBadTarget;
    r.error = QStringLiteral("the destination %1 lies inside %2").arg(to, from);
    return r;
  }
  if (QFileInfo(dstPath).exists() && !QFileInfo(dstPath).isDir()) {
    r.result = copyBadTarget;
    r.error = QStringLiteral("the destination %1 is not a folder").arg(to);
    return r;
  }

  const QByteArray srcBytes = QFile::encodeName(srcPath);
  std::vector<Entry> entries;
  if (!ListTree(srcBytes, QByteArray(), entries, &r.error)) {
    r.result = copyAccessDenied;
    return r;
  }
  qint64 total = 0;
  for (const Entry& e : entries) total += e.size;

  if (!QDir().mkpath(dstPath)) {
    r.result = copyAccessDenied;
    r.error = QStringLiteral("cannot create the folder %1").arg(to);
    return r;
  }
  // Take a free name by creating it: mkdir fails if another process took it meanwhile.
  const QDir dst(dstPath);
  QString root;
  for (int tries = 0; tries < 1000 && root.isEmpty(); ++tries) {
    const QString name = FreeNameIn(dstPath, src.fileName());
    if (dst.mkdir(name)) root = dst.filePath(name);
  }
  if (root.isEmpty()) {
    r.result = copyAccessDenied;
    r.error = QStringLiteral("cannot create a folder in %1").arg(to);
    return r;
  }
  r.copiedTo = root;
  // A half-made copy would pass for a backup: however the copy ends early (a failure, Cancel, or
  // an exception out of the progress window's events), what this call created goes, nothing else.
  const QByteArray rootBytes = QFile::encodeName(root);
  base::ScopeGuard removePartial([&rootBytes] { RemoveTree(rootBytes); });

  Copier copier(options, total);
  int code = copier.Step(0, src.fileName()) ? copyOk : copyCancelled;
  for (const Entry& e : entries) {
    if (code != copyOk) break;
    const QByteArray s = Join(srcBytes, e.rel);
    const QByteArray d = Join(rootBytes, e.rel);
    switch (e.kind) {
      case Entry::Dir:
        if (::mkdir(d.constData(), (e.mode & 07777) | S_IRWXU) != 0) {
          code = copyAccessDenied;
          r.error = QStringLiteral("cannot create the folder %1: %2").arg(Shown(d), SystemError(errno));
        }
        break;
      case Entry::Link:
        if (const QByteArray t = LinkText(s); t.isEmpty() || ::symlink(t.constData(), d.constData()) != 0) {
          code = copyAccessDenied;
          r.error = QStringLiteral("cannot create the link %1").arg(Shown(d));
        }
        break;
      case Entry::Fifo:
        if (::mkfifo(d.constData(), e.mode & 07777) != 0) r.leftOut << Shown(e.rel);
        break;
      case Entry::Special:
        // Device nodes and sockets are made anew where the system allows it; otherwise they are
        // left out, and the copy says so.
        if (::mknod(d.constData(), e.mode, e.device) != 0) r.leftOut << Shown(e.rel);
        break;
      case Entry::File: code = copier.CopyFile(s, d, e.mode, Shown(e.rel), &r.error); break;
    }
  }
  if (code == copyOk && copier.Cancelled()) code = copyCancelled;

  if (code == copyOk) {
    removePartial.Dismiss();
    // Everything else is copied and kept, but a copy that left something out is no success.
    if (!r.leftOut.isEmpty()) {
      r.result = copyIncomplete;
      r.error = QStringLiteral("left out: %1").arg(r.leftOut.join(QLatin1String(", ")));
    }
    return r;
  }
  r.copiedTo.clear();
  r.leftOut.clear();
  r.result = code;
  r.anyOperationsAborted = code == copyCancelled;
  if (code == copyCancelled) r.error = QStringLiteral("cancelled by the user");
  return r;
}

bool OpenLink(const QString& link) {
  const QString t = link.trimmed();
  if (t.isEmpty()) return false;
  QUrl url = QUrl::fromUserInput(t);
  if (!url.isValid()) return false;
  return QDesktopServices::openUrl(url);
}

}  // namespace platform
