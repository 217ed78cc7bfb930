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
#include "platform/ObjectPropertiesDialog.h"

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

namespace platform {

// What a container tells the object properties dialog about a linked text document; it counts
// what the dialog asks of it.
struct FakeObjectInfo : IOleUIObjInfo, IOleUILinkInfo {
  DWORD aspect = DVASPECT_CONTENT;
  std::vector<DWORD> viewsSet;
  int opened = 0, updated = 0, cancelled = 0;
  HRESULT GetObjectInfo(DWORD, DWORD* size, QString* label, QString* type, QString* shortType, QString* location) override {
    if (size) *size = DWORD(-1);
    if (label) *label = QStringLiteral("Text document");
    if (type) *type = QStringLiteral("Text document");
    if (shortType) *shortType = QStringLiteral("TXT");
    if (location) *location = QStringLiteral("Termora");
    return S_OK;
  }
  HRESULT GetConvertInfo(DWORD, QString*, QString*) override { return S_OK; }
  HRESULT ConvertObject(DWORD, const QString&) override { return E_NOTIMPL; }
  HRESULT GetViewInfo(DWORD, QImage* picture, DWORD* a, int* scale) override {
    if (picture) *picture = QImage(16, 16, QImage::Format_RGB32);
    if (a) *a = aspect;
    if (scale) *scale = 0;
    return S_OK;
  }
  HRESULT SetViewInfo(DWORD, const QImage&, DWORD a, int, bool) override {
    viewsSet.push_back(a);
    return S_OK;
  }
  DWORD GetNextLink(DWORD l) override { return l == 0 ? 1 : 0; }
  HRESULT SetLinkUpdateOptions(DWORD, DWORD) override { return S_OK; }
  HRESULT GetLinkUpdateOptions(DWORD, DWORD* o) override {
    *o = OLEUPDATE_ALWAYS;
    return S_OK;
  }
  HRESULT SetLinkSource(DWORD, const QString&, ULONG, ULONG*, bool) override { return S_OK; }
  HRESULT GetLinkSource(DWORD, QString* name, ULONG*, QString*, QString*, bool*, bool*) override {
    if (name) *name = QStringLiteral("/home/beekeeper/notes.txt");
    return S_OK;
  }
  HRESULT OpenLinkSource(DWORD) override { return ++opened, S_OK; }
  HRESULT UpdateLink(DWORD, bool, bool) override { return ++updated, S_OK; }
  HRESULT CancelLink(DWORD) override { return ++cancelled, E_NOTIMPL; }
  HRESULT GetLastUpdate(DWORD, QDateTime*) override { return S_OK; }
};

}  // namespace platform

// A link's stored data as a definition from elsewhere carries it: the path is whatever its author
// wrote, and the user never chose it.
inline QByteArray ForeignLinkData(const QString& path, const QByteArray& mime = "text/plain") {
  QByteArray data = QByteArrayLiteral("TERMORA-FILE-OBJECT\x01");
  auto field = [&](const char* tag, const QByteArray& value) {
    data.append(tag, 4);
    const quint32 n = quint32(value.size());
    for (int i = 0; i < 4; ++i) data.append(char((n >> (8 * i)) & 0xff));
    data.append(value);
  };
  field("KIND", "link");
  field("NAME", path.section(QLatin1Char('/'), -1).toUtf8());
  field("MIME", mime);
  field("PATH", path.toUtf8());
  return data;
}
