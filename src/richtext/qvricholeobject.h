#pragma once
// The hosts of embedded objects: what the engine's object interface reaches for an object.
// TqvFileOleObject carries a file object of the object runtime (platform/FileObject.h);
// TqvStoredOleObject stands for an object this program cannot open (made by another program,
// damaged, or too large), kept and drawn exactly as it was read.

#include <QByteArray>
#include <memory>
#include <vector>

#include "base/Exception.h"
#include "engine/RichEditTypes.h"

namespace platform {
class TFileObject;
}

namespace richtext {

// A failure of an object operation, with the runtime's result code.
class EOleError : public base::Exception {
 public:
  EOleError(const QString& message, engine::HRESULT code) : base::Exception(message), code_(code) {}
  engine::HRESULT Code() const { return code_; }

 private:
  engine::HRESULT code_;
};

// Raises EOleError for a failed result: the object's own explanation when it has one.
void OleCheck(engine::HRESULT Result, engine::IOleObject* Object = nullptr);
// The text for a result code without an explanation.
QString OleErrorText(engine::HRESULT Result);

class TqvFileOleObject : public engine::IOleObject, public engine::IOleLink, public engine::IOleCache {
 public:
  explicit TqvFileOleObject(std::unique_ptr<platform::TFileObject> File);
  ~TqvFileOleObject() override;

  platform::TFileObject& File() const { return *file_; }
  // The container's site, told when the object's stored form changes.
  void SetClientSite(engine::IOleClientSite* Site) { site_ = Site; }
  // Drops the private copy the object may be open in.
  void Close();
  // The stored form the object was read from: given back unchanged until the object changes.
  void SetStoredForm(const QByteArray& Rtf) { rtf_ = Rtf; }

  // IOleObject
  QString ClassName() const override;
  QString UserType(int Form) const override;
  engine::HRESULT DoVerb(engine::LONG Verb) override { return DoVerb(Verb, nullptr, nullptr, QRect()); }
  engine::HRESULT DoVerb(engine::LONG Verb, engine::IOleClientSite* Site, QWidget* Parent, const QRect& Rect) override;
  engine::HRESULT Update() override;
  QByteArray ObjectRtf() const override;
  engine::HRESULT EnumVerb(engine::LONG Index, engine::OLEVERB* Verb) override;
  engine::HRESULT Advise(std::shared_ptr<engine::IAdviseSink> Sink, engine::DWORD* Connection) override;
  engine::IOleLink* QueryLink() override;
  engine::IOleCache* QueryCache() override { return this; }
  QString ErrorText() const override { return error_; }

  // IOleLink
  engine::HRESULT SetUpdateOptions(engine::DWORD Options) override;
  engine::HRESULT GetUpdateOptions(engine::DWORD* Options) override;
  engine::HRESULT SetSourceDisplayName(const QString& Name) override;
  engine::HRESULT GetSourceDisplayName(QString* Name) override;
  engine::HRESULT GetSourceMoniker(engine::MONIKER* Moniker) override;

  // IOleCache: the object is drawn as its icon while the icon aspect is cached and the content
  // aspect is not.
  engine::HRESULT Cache(engine::DWORD Aspect, engine::DWORD Advf, engine::DWORD* Connection) override;
  engine::HRESULT Uncache(engine::DWORD Connection) override;
  engine::HRESULT EnumCache(QList<engine::STATDATA>* Entries) override;
  engine::HRESULT SetData(engine::DWORD Aspect, const QImage& Picture) override;
  engine::HRESULT GetData(engine::DWORD Aspect, QImage* Picture) override;

 private:
  // The object's data or link changed: the container rewrites its stored form.
  void Changed();
  void FollowCache();

  std::unique_ptr<platform::TFileObject> file_;
  engine::IOleClientSite* site_ = nullptr;
  std::vector<std::shared_ptr<engine::IAdviseSink>> sinks_;
  QList<engine::STATDATA> cache_;
  engine::DWORD nextConnection_ = 1;
  QString error_;
  mutable QByteArray rtf_;  // the stored form, made when first asked for
};

class TqvStoredOleObject : public engine::IOleObject {
 public:
  enum TReason { rForeign, rDamaged, rTooLarge };
  TqvStoredOleObject(const QString& ClassName, const QByteArray& ObjectRtf, TReason Reason);

  QString ClassName() const override { return class_; }
  QString UserType(int Form) const override;
  engine::HRESULT DoVerb(engine::LONG Verb) override;
  engine::HRESULT Update() override { return engine::S_OK; }
  QByteArray ObjectRtf() const override { return rtf_; }
  engine::HRESULT EnumVerb(engine::LONG Index, engine::OLEVERB* Verb) override;
  QString ErrorText() const override { return error_; }
  // Why nothing can be done with the object.
  QString Reason() const;

 private:
  QString class_;
  QByteArray rtf_;
  TReason reason_;
  QString error_;
};

// A host for an object group read from RTF: ours when its data is ours and sound, else one that
// keeps the group as it is. Never fails.
std::unique_ptr<engine::IOleObject> LoadObjectHost(const QString& ClassName, const QByteArray& ObjectRtf);

}  // namespace richtext
