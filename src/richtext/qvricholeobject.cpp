#include "richtext/qvricholeobject.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QObject>

#include "platform/FileObject.h"
#include "rtf/ObjectGroup.h"

using namespace engine;

namespace richtext {

QString OleErrorText(HRESULT Result) {
  switch (Result) {
    case E_OUTOFMEMORY: return QObject::tr("Not enough memory for the object.");
    case E_NOINTERFACE: return QObject::tr("The object does not support this operation.");
    case E_NOTIMPL: return QObject::tr("The operation is not supported.");
    case OLEOBJ_E_INVALIDVERB: return QStringLiteral("Invalid Verb");
    case OLE_E_CANT_BINDTOSOURCE: return QObject::tr("The object's source cannot be reached.");
    default:
      return QObject::tr("The object operation failed (error 0x%1).").arg(quint32(Result), 8, 16, QLatin1Char('0'));
  }
}

void OleCheck(HRESULT Result, IOleObject* Object) {
  if (SUCCEEDED(Result)) return;
  const QString Why = Object ? Object->ErrorText() : QString();
  throw EOleError(Why.isEmpty() ? OleErrorText(Result) : Why, Result);
}

// ---- an object of ours ----------------------------------------------------------------------

TqvFileOleObject::TqvFileOleObject(std::unique_ptr<platform::TFileObject> File) : file_(std::move(File)) {
  cache_.append({file_->Iconic() ? DVASPECT_ICON : DVASPECT_CONTENT, ADVF_PRIMEFIRST, nextConnection_++});
  QObject::connect(file_.get(), &platform::TFileObject::Saved, file_.get(), [this] {
    Changed();
    // Copies, as a sink may let go of itself.
    const auto Sinks = sinks_;
    for (const auto& S : Sinks) S->OnSave();
  });
}

TqvFileOleObject::~TqvFileOleObject() = default;

void TqvFileOleObject::Close() { file_->Close(); }

QString TqvFileOleObject::ClassName() const { return file_->MimeType(); }

QString TqvFileOleObject::UserType(int Form) const {
  switch (DWORD(Form)) {
    case USERCLASSTYPE_SHORT: return file_->ShortTypeName();
    case USERCLASSTYPE_APPNAME: return QCoreApplication::applicationName();
    default: return file_->TypeName();
  }
}

HRESULT TqvFileOleObject::DoVerb(LONG Verb, IOleClientSite* Site, QWidget* Parent, const QRect&) {
  if (Site) site_ = Site;
  error_.clear();
  if (Verb > platform::TFileObject::verbSaveCopyAs) {
    error_ = QStringLiteral("Invalid Verb");
    return OLEOBJ_E_INVALIDVERB;
  }
  if (file_->DoVerb(int(Verb), Parent, &error_)) return S_OK;
  return file_->IsLink() ? OLE_E_CANT_BINDTOSOURCE : E_FAIL;
}

HRESULT TqvFileOleObject::Update() {
  error_.clear();
  if (!file_->Update(&error_)) return OLE_E_CANT_BINDTOSOURCE;
  Changed();
  return S_OK;
}

void TqvFileOleObject::Changed() {
  rtf_.clear();
  if (site_) site_->SaveObject();
}

QByteArray TqvFileOleObject::ObjectRtf() const {
  if (!rtf_.isEmpty()) return rtf_;
  rtf::ObjectGroup G;
  G.link = file_->IsLink();
  G.objectClass = file_->MimeType();
  G.data = file_->ToData();
  const QSize Shown = file_->ShownSize();
  G.widthTw = Shown.width() * 15;
  G.heightTw = Shown.height() * 15;
  // Icons are drawn at twice their size, to print sharp; pictures at their shown size, so that
  // a large photo costs little more than its own bytes.
  const QImage Drawing = file_->Drawing(file_->Iconic() || !file_->IsPicture() ? 2 : 1);
  if (!Drawing.isNull()) {
    QBuffer B(&G.resultPng);
    B.open(QIODevice::WriteOnly);
    Drawing.save(&B, "PNG");
    G.resultWidthPx = Drawing.width();
    G.resultHeightPx = Drawing.height();
  }
  rtf_ = rtf::ObjectGroupRtf(G);
  return rtf_;
}

HRESULT TqvFileOleObject::EnumVerb(LONG Index, OLEVERB* Verb) {
  const auto Verbs = file_->Verbs();
  if (Index < 0 || Index >= Verbs.size()) return OLEOBJ_E_NOVERBS;
  if (!Verb) return E_INVALIDARG;
  Verb->lVerb = Verbs[Index].number;
  Verb->lpszVerbName = Verbs[Index].name;
  Verb->fuFlags = 0;
  Verb->grfAttribs = OLEVERBATTRIB_ONCONTAINERMENU;
  return S_OK;
}

HRESULT TqvFileOleObject::Advise(std::shared_ptr<IAdviseSink> Sink, DWORD* Connection) {
  if (!Sink) return E_INVALIDARG;
  sinks_.push_back(std::move(Sink));
  if (Connection) *Connection = DWORD(sinks_.size());
  return S_OK;
}

IOleLink* TqvFileOleObject::QueryLink() { return file_->IsLink() ? this : nullptr; }

HRESULT TqvFileOleObject::SetUpdateOptions(DWORD Options) {
  if (Options != OLEUPDATE_ALWAYS && Options != OLEUPDATE_ONCALL) return E_INVALIDARG;
  file_->SetAutomaticUpdate(Options == OLEUPDATE_ALWAYS);
  Changed();
  return S_OK;
}

HRESULT TqvFileOleObject::GetUpdateOptions(DWORD* Options) {
  if (!Options) return E_INVALIDARG;
  *Options = file_->AutomaticUpdate() ? OLEUPDATE_ALWAYS : OLEUPDATE_ONCALL;
  return S_OK;
}

HRESULT TqvFileOleObject::SetSourceDisplayName(const QString& Name) {
  error_.clear();
  if (!file_->IsLink()) return E_NOINTERFACE;
  if (!file_->SetLinkPath(Name, &error_)) return OLE_E_CANT_BINDTOSOURCE;
  Changed();
  return S_OK;
}

HRESULT TqvFileOleObject::GetSourceDisplayName(QString* Name) {
  if (!Name) return E_INVALIDARG;
  *Name = file_->LinkPath();
  return S_OK;
}

HRESULT TqvFileOleObject::GetSourceMoniker(MONIKER* Moniker) {
  if (!Moniker) return E_INVALIDARG;
  Moniker->elements = {{true, file_->LinkPath()}};
  return S_OK;
}

HRESULT TqvFileOleObject::Cache(DWORD Aspect, DWORD Advf, DWORD* Connection) {
  if (Aspect != DVASPECT_CONTENT && Aspect != DVASPECT_ICON) return DV_E_DVASPECT;
  cache_.append({Aspect, Advf, nextConnection_});
  if (Connection) *Connection = nextConnection_;
  ++nextConnection_;
  FollowCache();
  return S_OK;
}

HRESULT TqvFileOleObject::Uncache(DWORD Connection) {
  for (qsizetype I = 0; I < cache_.size(); ++I)
    if (cache_[I].connection == Connection) {
      cache_.removeAt(I);
      FollowCache();
      return S_OK;
    }
  return E_INVALIDARG;
}

HRESULT TqvFileOleObject::EnumCache(QList<STATDATA>* Entries) {
  if (!Entries) return E_INVALIDARG;
  *Entries = cache_;
  return S_OK;
}

HRESULT TqvFileOleObject::SetData(DWORD Aspect, const QImage& Picture) {
  if (Aspect != DVASPECT_ICON) return DV_E_DVASPECT;
  file_->SetIconPicture(Picture);
  rtf_.clear();
  return S_OK;
}

HRESULT TqvFileOleObject::GetData(DWORD Aspect, QImage* Picture) {
  if (!Picture) return E_INVALIDARG;
  bool Cached = false;
  for (const STATDATA& S : cache_) Cached = Cached || S.aspect == Aspect;
  if (!Cached) return E_FAIL;
  *Picture = Aspect == DVASPECT_ICON ? file_->IconPicture() : file_->Drawing();
  return S_OK;
}

void TqvFileOleObject::FollowCache() {
  bool Icon = false, Content = false;
  for (const STATDATA& S : cache_) {
    Icon = Icon || S.aspect == DVASPECT_ICON;
    Content = Content || S.aspect == DVASPECT_CONTENT;
  }
  const bool Iconic = Icon && !Content;
  if (Iconic == file_->Iconic()) return;
  file_->SetIconic(Iconic);
  rtf_.clear();
}

// ---- an object kept as it is ----------------------------------------------------------------

TqvStoredOleObject::TqvStoredOleObject(const QString& ClassName, const QByteArray& ObjectRtf, TReason Reason)
    : class_(ClassName), rtf_(ObjectRtf), reason_(Reason) {}

QString TqvStoredOleObject::UserType(int) const {
  return class_.isEmpty() ? QObject::tr("Object") : class_;
}

QString TqvStoredOleObject::Reason() const {
  switch (reason_) {
    case rForeign:
      return QObject::tr("This object was made by another program (its type is “%1”). It is kept and shown as it "
                         "is, but it cannot be opened here.")
          .arg(class_.isEmpty() ? QObject::tr("unknown") : class_);
    case rDamaged:
      return QObject::tr("The object's data is damaged. It is kept and shown as it is, but it cannot be opened.");
    case rTooLarge:
      return QObject::tr("The object holds more than %1 MB and is not opened. It is kept and shown as it is.")
          .arg(platform::kMaxObjectBytes / (1024 * 1024));
  }
  return {};
}

HRESULT TqvStoredOleObject::DoVerb(LONG Verb) {
  // The standard verbs that only show or hide have nothing to do.
  if (Verb < OLEIVERB_OPEN) return S_OK;
  error_ = Reason();
  return OLE_E_STATIC;
}

HRESULT TqvStoredOleObject::EnumVerb(LONG Index, OLEVERB* Verb) {
  // One verb, so that trying it says why nothing can be done.
  if (Index != 0) return OLEOBJ_E_NOVERBS;
  if (!Verb) return E_INVALIDARG;
  Verb->lVerb = 0;
  Verb->lpszVerbName = QObject::tr("&Open");
  Verb->fuFlags = 0;
  Verb->grfAttribs = OLEVERBATTRIB_ONCONTAINERMENU;
  return S_OK;
}

std::unique_ptr<IOleObject> LoadObjectHost(const QString& ClassName, const QByteArray& ObjectRtf) {
  rtf::ObjectGroup G;
  if (!rtf::ReadObjectGroup(ObjectRtf, G, platform::kMaxObjectBytes + 4096))
    return std::make_unique<TqvStoredOleObject>(ClassName, ObjectRtf, TqvStoredOleObject::rDamaged);
  if (G.dataTooLarge)
    return std::make_unique<TqvStoredOleObject>(ClassName, ObjectRtf, TqvStoredOleObject::rTooLarge);
  if (!platform::TFileObject::IsObjectData(G.data))
    return std::make_unique<TqvStoredOleObject>(ClassName, ObjectRtf, TqvStoredOleObject::rForeign);
  QString Why;
  std::unique_ptr<platform::TFileObject> File = platform::TFileObject::FromData(G.data, &Why);
  if (!File) return std::make_unique<TqvStoredOleObject>(ClassName, ObjectRtf, TqvStoredOleObject::rDamaged);
  auto Host = std::make_unique<TqvFileOleObject>(std::move(File));
  // Until something changes, the object's stored form stays the bytes it was read from.
  Host->SetStoredForm(ObjectRtf);
  return Host;
}

}  // namespace richtext
