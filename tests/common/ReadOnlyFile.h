#pragma once
// A file or folder that cannot be written, as on a read-only mount or marked immutable: the file
// keeps its permission bits, so only the system's own answer tells. Undone when it goes.

#include <QFile>
#include <QString>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

class UnwritableFile {
 public:
  // Marks `path` immutable (which needs the right to); without that right, takes its write
  // permission away, which binds a user other than root. Usable() says whether either worked.
  explicit UnwritableFile(const QString& path) : path_(QFile::encodeName(path)) {
    struct stat st {};
    if (::stat(path_.constData(), &st) == 0) mode_ = st.st_mode & 07777;
    if (SetImmutable(true)) immutable_ = true;
    else if (::geteuid() != 0) chmodded_ = ::chmod(path_.constData(), mode_ & ~0222) == 0;
  }
  ~UnwritableFile() {
    if (immutable_) SetImmutable(false);
    if (chmodded_) ::chmod(path_.constData(), mode_);
  }
  UnwritableFile(const UnwritableFile&) = delete;
  UnwritableFile& operator=(const UnwritableFile&) = delete;

  bool Usable() const { return (immutable_ || chmodded_) && ::access(path_.constData(), W_OK) != 0; }

 private:
  bool SetImmutable(bool on) {
    const int fd = ::open(path_.constData(), O_RDONLY);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
      flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
      ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
  }

  QByteArray path_;
  mode_t mode_ = 0644;
  bool immutable_ = false;
  bool chmodded_ = false;
};
