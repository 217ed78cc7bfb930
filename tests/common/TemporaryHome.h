#pragma once
// Points HOME, and the folder settings under it, at a folder of the test's own while it lives:
// what the desktop's standard folders (documents, ...) resolve to follows.

#include <QByteArray>
#include <QDir>
#include <QString>

class TemporaryHome {
 public:
  explicit TemporaryHome(const QString& Path) : oldHome_(qgetenv("HOME")), oldConfig_(qgetenv("XDG_CONFIG_HOME")) {
    qputenv("HOME", Path.toUtf8());
    qputenv("XDG_CONFIG_HOME", QDir(Path).filePath(".config").toUtf8());
  }
  ~TemporaryHome() {
    Restore("HOME", oldHome_);
    Restore("XDG_CONFIG_HOME", oldConfig_);
  }
  TemporaryHome(const TemporaryHome&) = delete;
  TemporaryHome& operator=(const TemporaryHome&) = delete;

 private:
  static void Restore(const char* Name, const QByteArray& Value) {
    if (Value.isNull()) qunsetenv(Name);
    else qputenv(Name, Value);
  }
  QByteArray oldHome_, oldConfig_;
};
