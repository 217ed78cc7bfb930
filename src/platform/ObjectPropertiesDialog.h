#pragma once
// The object properties dialog: General (type, size, where it lives), View (as its picture or as
// an icon) and, for a linked object, Link (its source, updating, opening it). The dialog asks the
// container about the object through IOleUIObjInfo and about its link through IOleUILinkInfo,
// and tells it the user's changes the same way.

#include <QDateTime>
#include <QDialog>
#include <QImage>

#include "platform/ObjectDialogs.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace platform {

constexpr DWORD DVASPECT_CONTENT = 1;
constexpr DWORD DVASPECT_ICON = 4;
constexpr DWORD OLEUPDATE_ALWAYS = 1;
constexpr DWORD OLEUPDATE_ONCALL = 3;

class IOleUIObjInfo {
 public:
  virtual ~IOleUIObjInfo() = default;
  virtual HRESULT GetObjectInfo(DWORD object, DWORD* size, QString* label, QString* type, QString* shortType,
                                QString* location) = 0;
  virtual HRESULT GetConvertInfo(DWORD object, QString* clsid, QString* userClsid) = 0;
  virtual HRESULT ConvertObject(DWORD object, const QString& clsidNew) = 0;
  virtual HRESULT GetViewInfo(DWORD object, QImage* picture, DWORD* aspect, int* scale) = 0;
  virtual HRESULT SetViewInfo(DWORD object, const QImage& picture, DWORD aspect, int scale, bool relative) = 0;
};

class IOleUILinkInfo {
 public:
  virtual ~IOleUILinkInfo() = default;
  virtual DWORD GetNextLink(DWORD link) = 0;
  virtual HRESULT SetLinkUpdateOptions(DWORD link, DWORD options) = 0;
  virtual HRESULT GetLinkUpdateOptions(DWORD link, DWORD* options) = 0;
  virtual HRESULT SetLinkSource(DWORD link, const QString& displayName, ULONG fileNameLength, ULONG* eaten,
                                bool validateSource) = 0;
  virtual HRESULT GetLinkSource(DWORD link, QString* displayName, ULONG* fileNameLength, QString* fullLinkType,
                                QString* shortLinkType, bool* sourceAvailable, bool* isSelected) = 0;
  virtual HRESULT OpenLinkSource(DWORD link) = 0;
  virtual HRESULT UpdateLink(DWORD link, bool errorMessage, bool reserved) = 0;
  virtual HRESULT CancelLink(DWORD link) = 0;
  virtual HRESULT GetLastUpdate(DWORD link, QDateTime* lastUpdate) = 0;
};

constexpr DWORD OPF_OBJECTISLINK = 0x0001;
constexpr DWORD OPF_NOFILLDEFAULT = 0x0002;
constexpr DWORD OPF_SHOWHELP = 0x0004;
constexpr DWORD OPF_DISABLECONVERT = 0x0008;
constexpr DWORD VPF_SELECTRELATIVE = 0x0001;
constexpr DWORD VPF_DISABLERELATIVE = 0x0002;
constexpr DWORD VPF_DISABLESCALE = 0x0004;
constexpr DWORD ELF_SHOWHELP = 0x0001;
constexpr DWORD ELF_DISABLEUPDATENOW = 0x0002;
constexpr DWORD ELF_DISABLEOPENSOURCE = 0x0004;
constexpr DWORD ELF_DISABLECHANGESOURCE = 0x0008;
constexpr DWORD ELF_DISABLECANCELLINK = 0x0010;

struct PROPSHEETHEADER {
  DWORD dwSize = 52;
  QWidget* hwndParent = nullptr;
  QString pszCaption;  // "%s" stands for the object's type
};
struct OLEUIGNRLPROPS {
  DWORD cbStruct = 40;
  DWORD dwFlags = 0;
};
struct OLEUIVIEWPROPS {
  DWORD cbStruct = 48;
  DWORD dwFlags = 0;  // VPF_*
  int nScaleMin = 0, nScaleMax = 0;
};
struct OLEUILINKPROPS {
  DWORD cbStruct = 40;
  DWORD dwFlags = 0;  // ELF_*
};
struct OLEUIOBJECTPROPS {
  DWORD cbStruct = 40;
  DWORD dwFlags = 0;  // OPF_*
  PROPSHEETHEADER* lpPS = nullptr;
  DWORD dwObject = 0;
  IOleUIObjInfo* lpObjInfo = nullptr;
  DWORD dwLink = 0;
  IOleUILinkInfo* lpLinkInfo = nullptr;
  OLEUIGNRLPROPS* lpGP = nullptr;
  OLEUIVIEWPROPS* lpVP = nullptr;
  OLEUILINKPROPS* lpLP = nullptr;
};

// Shows the dialog: OLEUI_OK when the user closed it with OK (changes of the view applied), else
// OLEUI_CANCEL.
unsigned OleUIObjectProperties(OLEUIOBJECTPROPS& props);

class TObjectPropertiesDialog : public QDialog {
  Q_OBJECT
 public:
  TObjectPropertiesDialog(OLEUIOBJECTPROPS& props, QWidget* parent);
  // Applies the view chosen on the View page; the container's answer.
  HRESULT ApplyView();
  void accept() override;

 private:
  void ShowLink();
  void ChangeSource();

  OLEUIOBJECTPROPS& props_;
  QImage iconPicture_;
  DWORD aspect_ = DVASPECT_CONTENT;
  int scale_ = 100;
  QRadioButton* asContent_ = nullptr;
  QRadioButton* asIcon_ = nullptr;
  QSpinBox* scaleBox_ = nullptr;
  QLabel* linkSource_ = nullptr;
  QLabel* lastUpdate_ = nullptr;
  QRadioButton* automatic_ = nullptr;
  QRadioButton* manual_ = nullptr;
  DWORD updateOptions_ = 0;
};

}  // namespace platform
