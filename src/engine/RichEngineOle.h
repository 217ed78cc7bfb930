#pragma once
// The engine window's object interface (EM_GETOLEINTERFACE) and client site: the embedded
// objects of the text, found by their object characters, and the host objects attached to them.

#include <QHash>
#include <QList>

#include "engine/RichEditTypes.h"

namespace engine {

class TRichEngine;

class TRichEngineOle : public IRichEditOle, public IOleClientSite {
 public:
  explicit TRichEngineOle(TRichEngine* e) : e_(e) {}

  HRESULT GetClientSite(IOleClientSite** site) override;
  HRESULT SaveObject() override;
  LONG GetObjectCount() override { return LONG(Positions().size()); }
  LONG GetLinkCount() override { return 0; }
  HRESULT GetObject(LONG iob, REOBJECT* reo, DWORD flags) override;
  HRESULT InsertObject(REOBJECT* reo) override;
  HRESULT ConvertObject(LONG, const QString&, const QString&) override { return E_NOTIMPL; }
  HRESULT ActivateAs(const QString&, const QString&) override { return E_NOTIMPL; }
  HRESULT SetHostNames(const QString& app, const QString& obj) override;
  HRESULT SetLinkAvailable(LONG, bool) override { return E_NOTIMPL; }
  HRESULT SetDvaspect(LONG iob, DWORD aspect) override;
  HRESULT HandsOffStorage(LONG) override { return S_OK; }
  HRESULT SaveCompleted(LONG, IStorage*) override { return S_OK; }
  HRESULT InPlaceDeactivate() override { return S_OK; }
  HRESULT ContextSensitiveHelp(bool) override { return S_OK; }

  // The host object attached to the object character at pos, or nullptr.
  IOleObject* ObjectAt(int pos);

 private:
  // Every object character in text order.
  QList<int> Positions() const;
  bool Fill(int pos, REOBJECT* reo, DWORD flags);
  int Attach(IOleObject* obj);

  TRichEngine* e_;
  QHash<int, IOleObject*> objects_;
  int nextHandle_ = 1;
  QString hostApp_, hostObj_;
};

}  // namespace engine
