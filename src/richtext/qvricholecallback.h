#pragma once
// What the control answers the engine's questions about objects (TRichEditOleCallback), and the
// sink that hears an object's save (TqvRichEditAdviseSink). The callback also keeps the hosts of
// the control's objects: they live until the engine window goes, so that an object brought back
// by undo finds its host still there.

#include <QPointer>
#include <QSet>
#include <functional>
#include <memory>
#include <vector>

#include "engine/RichEditTypes.h"
#include "richtext/qvrichsite.h"

namespace richtext {

class TRichEditOleCallback : public engine::IRichEditOleCallback {
 public:
  explicit TRichEditOleCallback(TqvRichEditSite* Control) : control_(Control) {}
  ~TRichEditOleCallback() override;

  engine::HRESULT GetNewStorage(engine::IStorage** Storage) override;
  engine::HRESULT GetInPlaceContext() override { return engine::E_NOTIMPL; }
  engine::HRESULT ShowContainerUI(bool) override { return engine::E_NOTIMPL; }
  engine::HRESULT QueryInsertObject(const QString&, engine::IStorage*, engine::LONG) override { return engine::S_OK; }
  engine::HRESULT DeleteObject(engine::IOleObject* Object) override;
  engine::HRESULT QueryAcceptData(const QMimeData*, engine::UINT*, engine::DWORD, bool) override { return engine::S_OK; }
  engine::HRESULT ContextSensitiveHelp(bool) override { return engine::E_NOTIMPL; }
  engine::HRESULT GetClipboardData(engine::CHARRANGE*, engine::DWORD, QMimeData** Data) override;
  engine::HRESULT GetDragDropEffect(bool Drag, engine::DWORD KeyState, engine::DWORD* Effect) override;
  engine::HRESULT GetContextMenu(engine::WORD SelType, engine::IOleObject* Object, engine::CHARRANGE* Range,
                                 QMenu** Menu) override;
  engine::HRESULT LoadObject(engine::REOBJECT* Stored, engine::IOleObject** Object) override;

  // Takes a host into the callback's keeping; returns it.
  engine::IOleObject* Adopt(std::unique_ptr<engine::IOleObject> Object);
  // The engine window went: its objects' hosts go with it.
  void ReleaseObjects();
  // Registers the control's save sink with an object, once: Saved runs when the object's
  // application saved it, while Control lives.
  void AdviseOnce(engine::IOleObject* Object, QWidget* Control, std::function<void()> Saved);

 private:
  TqvRichEditSite* control_;  // not counted: the control owns the callback
  std::vector<std::unique_ptr<engine::IOleObject>> objects_;
  std::vector<std::unique_ptr<engine::IStorage>> storages_;
  QSet<const engine::IOleObject*> advised_;
};

class TqvRichEditAdviseSink : public engine::IAdviseSink {
 public:
  TqvRichEditAdviseSink(QWidget* Control, std::function<void()> Saved);
  void OnDataChange() override {}
  void OnViewChange(engine::DWORD, engine::LONG) override {}
  void OnRename(const QString&) override {}
  // The object was saved by its application: the record is edited and the change kept.
  void OnSave() override;
  void OnClose() override {}

 private:
  QPointer<QWidget> control_;
  std::function<void()> saved_;
};

}  // namespace richtext
