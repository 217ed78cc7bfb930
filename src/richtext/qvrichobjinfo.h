#pragma once
// What the object properties dialog learns about the selected object and its link, and how the
// user's changes reach the control: TqvOleUIObjInfo (type, place, view) and TqvOleUILinkInfo
// (the one link of a linked object).

#include "engine/RichEditTypes.h"
#include "platform/ObjectPropertiesDialog.h"
#include "richtext/qvrichsite.h"

namespace richtext {

class TqvOleUIObjInfo : public platform::IOleUIObjInfo {
 public:
  TqvOleUIObjInfo(TqvRichEditSite* Control, const engine::REOBJECT& Object) : control_(Control), reo_(Object) {}

  platform::HRESULT GetObjectInfo(platform::DWORD Object, platform::DWORD* Size, QString* Label, QString* Type,
                                  QString* ShortType, QString* Location) override;
  platform::HRESULT GetConvertInfo(platform::DWORD Object, QString* Clsid, QString* UserClsid) override;
  platform::HRESULT ConvertObject(platform::DWORD, const QString&) override { return platform::E_NOTIMPL; }
  platform::HRESULT GetViewInfo(platform::DWORD Object, QImage* Picture, platform::DWORD* Aspect, int* Scale) override;
  platform::HRESULT SetViewInfo(platform::DWORD Object, const QImage& Picture, platform::DWORD Aspect, int Scale,
                                bool Relative) override;

  const engine::REOBJECT& Object() const { return reo_; }

 private:
  TqvRichEditSite* control_;
  engine::REOBJECT reo_;  // the draw aspect follows the view changes
};

class TqvOleUILinkInfo : public platform::IOleUILinkInfo {
 public:
  // Raises the interface query's error for an object that is not a link.
  TqvOleUILinkInfo(TqvRichEditSite* Control, const engine::REOBJECT& Object);

  platform::DWORD GetNextLink(platform::DWORD Link) override { return Link == 0 ? 1 : 0; }
  platform::HRESULT SetLinkUpdateOptions(platform::DWORD Link, platform::DWORD Options) override;
  platform::HRESULT GetLinkUpdateOptions(platform::DWORD Link, platform::DWORD* Options) override;
  platform::HRESULT SetLinkSource(platform::DWORD Link, const QString& DisplayName, platform::ULONG FileNameLength,
                                  platform::ULONG* Eaten, bool ValidateSource) override;
  platform::HRESULT GetLinkSource(platform::DWORD Link, QString* DisplayName, platform::ULONG* FileNameLength,
                                  QString* FullLinkType, QString* ShortLinkType, bool* SourceAvailable,
                                  bool* IsSelected) override;
  platform::HRESULT OpenLinkSource(platform::DWORD Link) override;
  platform::HRESULT UpdateLink(platform::DWORD Link, bool ErrorMessage, bool Reserved) override;
  platform::HRESULT CancelLink(platform::DWORD Link) override;
  platform::HRESULT GetLastUpdate(platform::DWORD, QDateTime*) override { return platform::S_OK; }

 private:
  TqvRichEditSite* control_;
  engine::REOBJECT reo_;
  engine::IOleLink* link_;
};

// The length of the file part of a link's source: the first element of its moniker when that
// names a file, else 0.
platform::ULONG FileNameLengthOf(const engine::MONIKER& Moniker);

}  // namespace richtext
