#include "book/BookFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace book {

QString PartPath(const QString& path) {
  const QFileInfo fi(path);
  return fi.dir().filePath(QStringLiteral(".%1.part-%2").arg(fi.fileName()).arg(QCoreApplication::applicationPid()));
}

bool CommitFile(const QString& part, const QString& path, bool overwrite, QString* error) {
  const QByteArray from = QFile::encodeName(part), to = QFile::encodeName(path);
  int rc;
  if (overwrite) {
    rc = std::rename(from.constData(), to.constData());
  } else {
    // A hard link is made only where no file is; the temporary name then goes.
    rc = ::link(from.constData(), to.constData());
    if (rc == 0) ::unlink(from.constData());
    // A file system without hard links: checked, then renamed.
    else if (errno == EPERM || errno == ENOTSUP || errno == EOPNOTSUPP || errno == ENOSYS) {
      if (QFileInfo::exists(path)) errno = EEXIST;
      else rc = std::rename(from.constData(), to.constData());
    }
  }
  if (rc == 0) return true;
  const int e = errno;
  if (error)
    *error = e == EEXIST ? QStringLiteral("\"%1\" already exists.").arg(QDir::toNativeSeparators(path))
                         : QStringLiteral("\"%1\" could not be written: %2")
                               .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(std::strerror(e)));
  return false;
}

}  // namespace book
