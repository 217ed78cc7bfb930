#pragma once
// The engine window's own parts that nothing outside its units (RichEngine*.cpp) includes.
//
// TRichEngineOle (RichEngineOle.cpp): the window's object interface (EM_GETOLEINTERFACE) and
// client site: the embedded objects of the text, found by their object characters, and the host
// objects attached to them.
//
// Every object read from RTF carries a handle (rtf::kObjectIndex). A host is attached to a
// handle when an object is inserted with one, or loaded through the callback (LoadObject) the
// first time the object's interface is asked for; a host stays attached while the stored form
// is the one it was attached with (undo may bring back an older one, which then gets a new host).

#include <QHash>
#include <QList>

#include "engine/RichEditTypes.h"

class QTextCharFormat;

namespace engine {

class TRichEngine;

class TRichEngineOle : public IRichEditOle, public IOleClientSite {
 public:
  explicit TRichEngineOle(TRichEngine* e) : e_(e) {}

  HRESULT GetClientSite(IOleClientSite** site) override;
  // A host's data changed: every hosted object whose stored form differs from its host's takes
  // the host's.
  HRESULT SaveObject() override;
  LONG GetObjectCount() override { return LONG(Positions().size()); }
  LONG GetLinkCount() override;
  HRESULT GetObject(LONG iob, REOBJECT* reo, DWORD flags) override;
  HRESULT InsertObject(REOBJECT* reo) override;
  HRESULT ConvertObject(LONG, const QString&, const QString&) override { return E_NOTIMPL; }
  HRESULT ActivateAs(const QString&, const QString&) override { return E_NOTIMPL; }
  HRESULT SetHostNames(const QString& app, const QString& obj) override;
  HRESULT SetLinkAvailable(LONG, bool) override { return E_NOTIMPL; }
  // Records the aspect and redraws the object as its host now draws it.
  HRESULT SetDvaspect(LONG iob, DWORD aspect) override;
  HRESULT HandsOffStorage(LONG) override { return S_OK; }
  HRESULT SaveCompleted(LONG, IStorage*) override { return S_OK; }
  HRESULT InPlaceDeactivate() override { return S_OK; }
  HRESULT ContextSensitiveHelp(bool) override { return S_OK; }

  // The host object attached to the object character at pos, or nullptr; never loads one.
  IOleObject* ObjectAt(int pos);
  // The host of the object at pos, loaded through the callback when it has none yet.
  IOleObject* HostAt(int pos);

 private:
  struct Hosted {
    IOleObject* obj = nullptr;
    qulonglong key = 0;  // the stored form's kObjectKey when attached
    DWORD aspect = DVASPECT_CONTENT;
  };

  // Every object character in text order.
  QList<int> Positions() const;
  QTextCharFormat FormatAt(int pos) const;
  bool Fill(int pos, REOBJECT* reo, DWORD flags);
  // The attached and current host of an object format, or nullptr.
  Hosted* Current(const QTextCharFormat& f);
  // Replaces the stored form (and so the drawing) of the object at pos, keeping its handle.
  void Restore(int pos, const QByteArray& objectRtf);
  int PositionOf(LONG iob);

  TRichEngine* e_;
  QHash<int, Hosted> objects_;
  QString hostApp_, hostObj_;
};

}  // namespace engine
