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

#include <unistd.h>

namespace platform {

namespace {

struct Entry {
  enum Kind { Dir, File, Link } kind;
  QString rel;  // relative to the source folder
  qint64 size = 0;
};

// Lists the tree first, so the progress window knows the total and a copy can never descend
// into its own output.
bool ListTree(const QString& root, const QString& rel, std::vector<Entry>& out, QString* error) {
  const QDir dir(rel.isEmpty() ? root : root + QLatin1Char('/') + rel);
  if (!dir.isReadable()) {
    *error = QStringLiteral("cannot read the folder %1").arg(dir.path());
    return false;
  }
  const auto infos = dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                       QDir::Name);
  for (const QFileInfo& fi : infos) {
    const QString r = rel.isEmpty() ? fi.fileName() : rel + QLatin1Char('/') + fi.fileName();
    if (fi.isSymLink()) {
      out.push_back({Entry::Link, r, 0});
    } else if (fi.isDir()) {
      out.push_back({Entry::Dir, r, 0});
      if (!ListTree(root, r, out, error)) return false;
    } else {
      out.push_back({Entry::File, r, fi.size()});
    }
  }
  return true;
}

// The link's own text, so relative links stay relative in the copy.
QString LinkText(const QString& path) {
  const QByteArray p = QFile::encodeName(path);
  QByteArray buf(4096, Qt::Uninitialized);
  const ssize_t n = ::readlink(p.constData(), buf.data(), size_t(buf.size()));
  if (n <= 0) return QString();
  return QFile::decodeName(buf.left(int(n)));
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
      progress_ = std::make_unique<QProgressDialog>(QStringLiteral("Copying..."), QStringLiteral("Cancel"), 0,
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
      if (!name.isEmpty()) progress_->setLabelText(QStringLiteral("Copying %1").arg(name));
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
  int CopyFile(const QString& from, const QString& to, const QString& shown, QString* error) {
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) {
      *error = QStringLiteral("cannot read %1: %2").arg(from, in.errorString());
      return copyAccessDenied;
    }
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
      *error = QStringLiteral("cannot create %1: %2").arg(to, out.errorString());
      return copyAccessDenied;
    }
    if (!Step(0, shown)) return copyCancelled;
    constexpr qint64 kChunk = 1 << 20;
    QByteArray buf;
    while (!in.atEnd()) {
      buf = in.read(kChunk);
      if (buf.isEmpty() && in.error() != QFile::NoError) {
        *error = QStringLiteral("cannot read %1: %2").arg(from, in.errorString());
        return copyAccessDenied;
      }
      if (out.write(buf) != buf.size()) {
        *error = QStringLiteral("cannot write %1: %2").arg(to, out.errorString());
        return copyAccessDenied;
      }
      if (!Step(buf.size(), QString())) return copyCancelled;
    }
    if (!out.flush()) {
      *error = QStringLiteral("cannot write %1: %2").arg(to, out.errorString());
      return copyAccessDenied;
    }
    out.setPermissions(in.permissions());
    out.setFileTime(QFileInfo(in).lastModified(), QFileDevice::FileModificationTime);
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

  std::vector<Entry> entries;
  if (!ListTree(srcPath, QString(), entries, &r.error)) {
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
  base::ScopeGuard removePartial([&root] { QDir(root).removeRecursively(); });

  Copier copier(options, total);
  int code = copier.Step(0, src.fileName()) ? copyOk : copyCancelled;
  for (const Entry& e : entries) {
    if (code != copyOk) break;
    const QString s = srcPath + QLatin1Char('/') + e.rel;
    const QString d = root + QLatin1Char('/') + e.rel;
    switch (e.kind) {
      case Entry::Dir:
        if (!QDir().mkdir(d)) {
          code = copyAccessDenied;
          r.error = QStringLiteral("cannot create the folder %1").arg(d);
        }
        break;
      case Entry::Link:
        if (const QString t = LinkText(s); t.isEmpty() || !QFile::link(t, d)) {
          code = copyAccessDenied;
          r.error = QStringLiteral("cannot create the link %1").arg(d);
        }
        break;
      case Entry::File: code = copier.CopyFile(s, d, e.rel, &r.error); break;
    }
  }
  if (code == copyOk && copier.Cancelled()) code = copyCancelled;

  if (code == copyOk) {
    removePartial.Dismiss();
    return r;
  }
  r.copiedTo.clear();
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
