#pragma once
// Stand-ins for the desktop around embedded objects: an application that records what it was
// asked to open (and can save a change into it), scripted object dialogs and file choosers.

#include <QBuffer>
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>

#include "platform/FileObject.h"
#include "platform/ObjectDialogs.h"

struct FakeDesktop {
  QStringList opened, applications;
  QByteArray saveAs;  // written into the opened file, as an application saving it, when not empty
  bool starts = true;
  platform::TObjectOpener previous;
  FakeDesktop() {
    previous = platform::SetObjectOpener([this](const QString& path, const QString& app) {
      opened << path;
      applications << app;
      if (!saveAs.isEmpty()) {
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(saveAs);
      }
      return starts;
    });
  }
  ~FakeDesktop() { platform::SetObjectOpener(std::move(previous)); }
  FakeDesktop(const FakeDesktop&) = delete;
  FakeDesktop& operator=(const FakeDesktop&) = delete;
};

// Runs every object dialog through the given script instead of showing it.
struct ScriptedDialog {
  platform::TDialogRunner previous;
  explicit ScriptedDialog(platform::TDialogRunner r) { previous = platform::SetDialogRunner(std::move(r)); }
  ~ScriptedDialog() { platform::SetDialogRunner(std::move(previous)); }
  ScriptedDialog(const ScriptedDialog&) = delete;
  ScriptedDialog& operator=(const ScriptedDialog&) = delete;
};

inline QByteArray PngBytes(QColor c, int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(c);
  QByteArray bytes;
  QBuffer b(&bytes);
  b.open(QIODevice::WriteOnly);
  img.save(&b, "PNG");
  return bytes;
}

inline QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
  const QString path = dir.filePath(name);
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(bytes);
  return path;
}
