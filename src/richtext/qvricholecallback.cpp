#include "richtext/qvricholecallback.h"

#include <QCursor>
#include <QMenu>
#include <new>

#include "platform/FileObject.h"
#include "platform/Question.h"
#include "richtext/qvricholeobject.h"

using namespace engine;

namespace richtext {

namespace {
// A storage in memory, freed with the callback that made it.
class TqvMemoryStorage : public IStorage {
 public:
  QByteArray& Data() override { return data_; }

 private:
  QByteArray data_;
};
}  // namespace

TRichEditOleCallback::~TRichEditOleCallback() = default;

HRESULT TRichEditOleCallback::GetNewStorage(IStorage** Storage) {
  if (!Storage) return E_INVALIDARG;
  *Storage = nullptr;
  try {
    storages_.push_back(std::make_unique<TqvMemoryStorage>());
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  *Storage = storages_.back().get();
  return S_OK;
}

HRESULT TRichEditOleCallback::DeleteObject(IOleObject* Object) {
  // The object left the text: its open copy goes (undo brings the object back, not the copy).
  for (const auto& O : objects_)
    if (O.get() == Object)
      if (auto* File = dynamic_cast<TqvFileOleObject*>(O.get())) File->Close();
  return S_OK;
}

HRESULT TRichEditOleCallback::GetClipboardData(CHARRANGE*, DWORD, QMimeData** Data) {
  if (Data) *Data = nullptr;
  return E_NOTIMPL;
}

HRESULT TRichEditOleCallback::GetDragDropEffect(bool Drag, DWORD KeyState, DWORD* Effect) {
  if (Drag || !Effect) return S_OK;
  DWORD Wanted = DROPEFFECT_MOVE;
  if ((KeyState & MK_KEYSTATE_CONTROL) && (KeyState & MK_KEYSTATE_SHIFT)) Wanted = DROPEFFECT_LINK;
  else if (KeyState & MK_KEYSTATE_CONTROL) Wanted = DROPEFFECT_COPY;
  if (*Effect & Wanted) *Effect = Wanted;
  return S_OK;
}

HRESULT TRichEditOleCallback::GetContextMenu(WORD, IOleObject*, CHARRANGE*, QMenu** Menu) {
  if (Menu) *Menu = nullptr;
  if (!control_->SiteWantsMousePopup()) return S_OK;
  const QPoint At = QCursor::pos();
  // This desktop answers as the newest platform version the control knows: the popup is
  // prepared (with the object items) before it is shown.
  QMenu* Shown = control_->SiteTakeMousePopup();
  if (Shown) Shown->popup(At);
  return S_OK;
}

HRESULT TRichEditOleCallback::LoadObject(REOBJECT* Stored, IOleObject** Object) {
  if (!Stored || !Object) return E_INVALIDARG;
  *Object = nullptr;
  std::unique_ptr<IOleObject> Host = LoadObjectHost(Stored->clsid, Stored->objectRtf);
  if (auto* File = dynamic_cast<TqvFileOleObject*>(Host.get())) {
    Stored->dvaspect = File->File().Iconic() ? DVASPECT_ICON : DVASPECT_CONTENT;
  }
  *Object = Adopt(std::move(Host));
  return S_OK;
}

IOleObject* TRichEditOleCallback::Adopt(std::unique_ptr<IOleObject> Object) {
  if (auto* File = dynamic_cast<TqvFileOleObject*>(Object.get())) {
    IOleClientSite* Site = nullptr;
    if (control_->SiteRichEditOle()) control_->SiteRichEditOle()->GetClientSite(&Site);
    File->SetClientSite(Site);
  }
  objects_.push_back(std::move(Object));
  return objects_.back().get();
}

void TRichEditOleCallback::ReleaseObjects() {
  advised_.clear();
  objects_.clear();
  storages_.clear();
}

void TRichEditOleCallback::AdviseOnce(IOleObject* Object, QWidget* Control, std::function<void()> Saved) {
  if (!Object || advised_.contains(Object)) return;
  DWORD Connection = 0;
  if (SUCCEEDED(Object->Advise(std::make_shared<TqvRichEditAdviseSink>(Control, std::move(Saved)), &Connection)))
    advised_.insert(Object);
}

// ---- the save sink --------------------------------------------------------------------------

TqvRichEditAdviseSink::TqvRichEditAdviseSink(QWidget* Control, std::function<void()> Saved)
    : control_(Control), saved_(std::move(Saved)) {}

void TqvRichEditAdviseSink::OnSave() {
  if (!control_ || !saved_) return;
  // A notification from the runtime: a failure is shown, never thrown back into it.
  platform::Guarded([this] { saved_(); }, control_);
}

}  // namespace richtext
