#include "richtext/qvrichobjinfo.h"

#include <QCoreApplication>
#include <QWidget>

#include "platform/Question.h"
#include "richtext/qvricholeobject.h"

namespace richtext {

namespace {
const QString kLinkCaption = QCoreApplication::translate("Editor", "Link Properties");

void AskError(const QString& Text, QWidget* Parent) {
  platform::Question Q;
  Q.caption = kLinkCaption;
  Q.text = Text;
  Q.icon = platform::Icon::Error;
  Q.buttons = platform::Buttons::Ok;
  platform::Ask(Q, Parent);
}

// An error inside the dialog goes to the user and the dialog goes on.
void Report(engine::HRESULT Result, engine::IOleObject* Object, QWidget* Parent) {
  platform::Guarded([&] { OleCheck(Result, Object); }, Parent);
}
}  // namespace

// ---- the object -----------------------------------------------------------------------------

platform::HRESULT TqvOleUIObjInfo::GetObjectInfo(platform::DWORD, platform::DWORD* Size, QString* Label, QString* Type,
                                                 QString* ShortType, QString* Location) {
  engine::IOleObject* Obj = reo_.poleobj;
  if (Size) *Size = platform::DWORD(-1);
  const QString Full = Obj ? Obj->UserType(int(engine::USERCLASSTYPE_FULL)) : QString();
  if (Label) *Label = Full;
  if (Type) *Type = Full;
  if (ShortType) *ShortType = Obj ? Obj->UserType(int(engine::USERCLASSTYPE_SHORT)) : QString();
  if (Location) {
    const QString App = platform::ApplicationTitle();
    *Location = control_->SiteTitle().trimmed().isEmpty() ? App : QStringLiteral("%1 - %2").arg(control_->SiteTitle(), App);
  }
  return platform::S_OK;
}

platform::HRESULT TqvOleUIObjInfo::GetConvertInfo(platform::DWORD, QString* Clsid, QString*) {
  if (Clsid && reo_.poleobj) reo_.poleobj->GetUserClassID(Clsid);
  return platform::S_OK;
}

platform::HRESULT TqvOleUIObjInfo::GetViewInfo(platform::DWORD, QImage* Picture, platform::DWORD* Aspect, int* Scale) {
  if (Picture) *Picture = control_->SiteIconPictureOf(reo_.poleobj, reo_.dvaspect);
  if (Aspect) *Aspect = reo_.dvaspect;
  if (Scale) *Scale = 0;
  return platform::S_OK;
}

platform::HRESULT TqvOleUIObjInfo::SetViewInfo(platform::DWORD, const QImage& Picture, platform::DWORD Aspect, int,
                                               bool) {
  engine::IRichEditOle* Ole = control_->SiteRichEditOle();
  if (!Ole) return platform::E_NOTIMPL;
  bool Iconic = reo_.dvaspect == engine::DVASPECT_ICON;
  if (Aspect == engine::DVASPECT_CONTENT) Iconic = false;
  else if (Aspect == engine::DVASPECT_ICON) Iconic = true;
  Ole->InPlaceDeactivate();
  const engine::HRESULT Result = control_->SiteSetDrawAspect(reo_.poleobj, Iconic, Picture, reo_.dvaspect);
  if (engine::SUCCEEDED(Result)) Ole->SetDvaspect(engine::REO_IOB_SELECTION, reo_.dvaspect);
  return Result;
}

// ---- its link -------------------------------------------------------------------------------

TqvOleUILinkInfo::TqvOleUILinkInfo(TqvRichEditSite* Control, const engine::REOBJECT& Object)
    : control_(Control), reo_(Object), link_(Object.poleobj ? Object.poleobj->QueryLink() : nullptr) {
  if (!link_) OleCheck(engine::E_NOINTERFACE);
}

platform::HRESULT TqvOleUILinkInfo::SetLinkUpdateOptions(platform::DWORD, platform::DWORD Options) {
  const engine::HRESULT Result = link_->SetUpdateOptions(Options);
  if (engine::SUCCEEDED(Result)) control_->SiteSetModified(true);
  return Result;
}

platform::HRESULT TqvOleUILinkInfo::GetLinkUpdateOptions(platform::DWORD, platform::DWORD* Options) {
  return link_->GetUpdateOptions(Options);
}

platform::HRESULT TqvOleUILinkInfo::SetLinkSource(platform::DWORD, const QString& DisplayName, platform::ULONG,
                                                  platform::ULONG* Eaten, bool ValidateSource) {
  if (!ValidateSource) {
    AskError(QCoreApplication::translate("Editor", "Cannot link to an invalid source."), control_->SiteWidget());
    return platform::E_FAIL;
  }
  const QString Name = DisplayName.left(256);
  if (engine::FAILED(link_->SetSourceDisplayName(Name))) return platform::E_FAIL;
  if (Eaten) *Eaten = platform::ULONG(Name.size());
  Report(reo_.poleobj->Update(), reo_.poleobj, control_->SiteWidget());
  return platform::S_OK;
}

platform::ULONG FileNameLengthOf(const engine::MONIKER& Moniker) {
  if (Moniker.elements.isEmpty() || !Moniker.elements.first().isFile) return 0;
  return platform::ULONG(Moniker.elements.first().displayName.size());
}

platform::HRESULT TqvOleUILinkInfo::GetLinkSource(platform::DWORD, QString* DisplayName,
                                                  platform::ULONG* FileNameLength, QString* FullLinkType,
                                                  QString* ShortLinkType, bool*, bool*) {
  if (DisplayName) link_->GetSourceDisplayName(DisplayName);
  if (FileNameLength) {
    engine::MONIKER Moniker;
    *FileNameLength = engine::SUCCEEDED(link_->GetSourceMoniker(&Moniker)) ? FileNameLengthOf(Moniker) : 0;
  }
  if (FullLinkType) *FullLinkType = reo_.poleobj->UserType(int(engine::USERCLASSTYPE_FULL));
  if (ShortLinkType) *ShortLinkType = reo_.poleobj->UserType(int(engine::USERCLASSTYPE_SHORT));
  return platform::S_OK;
}

platform::HRESULT TqvOleUILinkInfo::OpenLinkSource(platform::DWORD) {
  engine::IOleClientSite* Site = nullptr;
  if (control_->SiteRichEditOle()) control_->SiteRichEditOle()->GetClientSite(&Site);
  QWidget* Control = control_->SiteWidget();
  Report(reo_.poleobj->DoVerb(engine::OLEIVERB_SHOW, Site, Control, Control->rect()), reo_.poleobj, Control);
  return platform::S_OK;
}

platform::HRESULT TqvOleUILinkInfo::UpdateLink(platform::DWORD, bool, bool) {
  Report(reo_.poleobj->Update(), reo_.poleobj, control_->SiteWidget());
  return platform::S_OK;
}

platform::HRESULT TqvOleUILinkInfo::CancelLink(platform::DWORD) {
  AskError(QCoreApplication::translate("Editor", "Break link operation is not supported."), control_->SiteWidget());
  return platform::E_NOTIMPL;
}

}  // namespace richtext
