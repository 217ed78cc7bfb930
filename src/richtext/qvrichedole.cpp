// Embedded objects in the control: inserting them (the dialog, or files dropped from the file
// manager), their properties, verbs and view, the double click on one, and the clipboard formats
// of rich text with the rule for pasting them.

#include <QCoreApplication>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "platform/FileObject.h"
#include "platform/InsertObjectDialog.h"
#include "platform/ObjectPropertiesDialog.h"
#include "platform/Question.h"
#include "richtext/qvriched.h"
#include "richtext/qvricholecallback.h"
#include "richtext/qvricholeobject.h"
#include "richtext/qvrichobjinfo.h"

using namespace engine;

namespace richtext {

// ---- clipboard formats ----------------------------------------------------------------------

namespace {
struct TqvClipboardFormats {
  UINT Utf8, Ncr, Rtf;
  TqvClipboardFormats()
      : Utf8(RegisterClipboardFormat(QStringLiteral("RTF in UTF8"))),
        Ncr(RegisterClipboardFormat(QStringLiteral("RTF with NCRs for nonASCII"))),
        Rtf(RegisterClipboardFormat(QStringLiteral("Rich Text Format"))) {}
};
const TqvClipboardFormats& Formats() {
  static const TqvClipboardFormats F;
  return F;
}
bool Offers(const QMimeData* Data, UINT Format) {
  return Data && Data->hasFormat(ClipboardFormatMime(Format));
}
}  // namespace

UINT RtfUtf8Format() { return Formats().Utf8; }
UINT RtfNcrFormat() { return Formats().Ncr; }
UINT RtfFormat() { return Formats().Rtf; }

LRESULT TqvDBRichEdit::WndProc(UINT Msg, WPARAM WParam, LPARAM LParam) {
  if ((Msg == WM_CUT || Msg == WM_PASTE) && GetField()) {
    if (!platform::Guarded([this] { BeginEdit(); }, this)) return 0;
  }
  if (Msg == WM_PASTE) {
    // The UTF-8 and character-reference flavours are left to the programs that write them; the
    // plain rich text flavour beside them is the one taken (when it is there at all).
    const QMimeData* Data = QApplication::clipboard()->mimeData();
    if ((Offers(Data, RtfNcrFormat()) || Offers(Data, RtfUtf8Format())) && Offers(Data, RtfFormat()))
      return Perform(EM_PASTESPECIAL, WPARAM(RtfFormat()), 0);
  }
  return TqvCustomRichEdit::WndProc(Msg, WParam, LParam);
}

// ---- inserting --------------------------------------------------------------------------------

namespace {
QRect ClientRect(const TqvCustomRichEdit* Edit) { return Edit->rect(); }
}  // namespace

bool TqvCustomRichEdit::InsertObject() {
  if (!richEditOle_) return false;
  IOleClientSite* Site = nullptr;
  richEditOle_->GetClientSite(&Site);
  IStorage* Storage = nullptr;
  OleCheck(oleCallback_->GetNewStorage(&Storage));

  platform::OLEUIINSERTOBJECT Io;
  Io.hWndOwner = this;
  Io.dwFlags = platform::IOF_SELECTCREATENEW | platform::IOF_CREATENEWOBJECT | platform::IOF_CREATEFILEOBJECT |
               platform::IOF_CREATELINKOBJECT | platform::IOF_VERIFYSERVERSEXIST;
  Io.cchFile = 256;
  Io.oleRender = platform::OLERENDER_DRAW;
  if (platform::OleUIInsertObject(Io) != platform::OLEUI_OK || !Io.object) return false;

  if (GetTextLen() == 0) BeginEdit();
  const bool CreatedNew = Io.dwFlags & platform::IOF_SELECTCREATENEW;
  const bool Iconic = Io.dwFlags & platform::IOF_CHECKDISPLAYASICON;
  IOleObject* Obj = oleCallbackObject_->Adopt(std::make_unique<TqvFileOleObject>(std::move(Io.object)));
  REOBJECT Reo;
  Reo.cp = REO_CP_SELECTION;
  Reo.clsid = Io.clsid;
  Reo.poleobj = Obj;
  Reo.pstg = Storage;
  Reo.polesite = Site;
  Reo.dvaspect = DVASPECT_CONTENT;
  Reo.dwFlags = REO_RESIZABLE | (CreatedNew ? REO_BLANK : 0);
  OleCheck(SetDrawAspect(Obj, Iconic, Io.hMetaPict, Reo.dvaspect), Obj);

  CHARRANGE Sel;
  Perform(EM_EXGETSEL, 0, LPARAM(&Sel));
  OleCheck(richEditOle_->InsertObject(&Reo), Obj);
  CHARRANGE Inserted{Sel.cpMin, Sel.cpMin + 1};
  Perform(EM_EXSETSEL, 0, LPARAM(&Inserted));
  Perform(EM_SCROLLCARET);
  richEditOle_->SetDvaspect(REO_IOB_SELECTION, Reo.dvaspect);
  // A new object is opened for filling in; a failure to open leaves it inserted.
  if (CreatedNew) platform::Guarded([&] { OleCheck(Obj->DoVerb(OLEIVERB_SHOW, Site, this, ClientRect(this)), Obj); }, this);
  return true;
}

bool TqvCustomRichEdit::InsertFiles(const QStringList& Paths, bool Link) {
  if (!richEditOle_ || Paths.isEmpty()) return false;
  if (!platform::Guarded([this] { BeginEdit(); }, this)) return false;
  IOleClientSite* Site = nullptr;
  richEditOle_->GetClientSite(&Site);
  int Inserted = 0;
  for (const QString& Path : Paths) {
    QString Why;
    std::unique_ptr<platform::TFileObject> File = platform::TFileObject::FromFile(Path, Link, &Why);
    if (!File) {
      platform::ShowError(Why, platform::ApplicationTitle(), this);
      continue;
    }
    const QString Clsid = File->MimeType();
    IOleObject* Obj = oleCallbackObject_->Adopt(std::make_unique<TqvFileOleObject>(std::move(File)));
    REOBJECT Reo;
    Reo.cp = REO_CP_SELECTION;
    Reo.clsid = Clsid;
    Reo.poleobj = Obj;
    Reo.polesite = Site;
    Reo.dwFlags = REO_RESIZABLE;
    CHARRANGE Sel;
    Perform(EM_EXGETSEL, 0, LPARAM(&Sel));
    if (!platform::Guarded([&] { OleCheck(richEditOle_->InsertObject(&Reo), Obj); }, this)) break;
    CHARRANGE After{Sel.cpMin + 1, Sel.cpMin + 1};
    Perform(EM_EXSETSEL, 0, LPARAM(&After));
    ++Inserted;
  }
  Perform(EM_SCROLLCARET);
  return Inserted > 0;
}

// ---- dropping files -------------------------------------------------------------------------

namespace {
// The files (not folders) a drag from the file manager carries; empty for anything else.
QStringList DroppedFiles(const QMimeData* Data) {
  QStringList Files;
  if (!Data || !Data->hasUrls()) return Files;
  for (const QUrl& U : Data->urls()) {
    if (!U.isLocalFile()) return {};
    const QString Path = U.toLocalFile();
    if (QFileInfo(Path).isFile()) Files << Path;
  }
  return Files;
}
}  // namespace

bool TqvCustomRichEdit::FileDragEvent(QDropEvent* Event) {
  const QStringList Files = DroppedFiles(Event->mimeData());
  if (Files.isEmpty()) return false;
  if (!richEditOle_ || !oleCallback_ || GetReadOnly()) {
    Event->ignore();
    return true;
  }
  DWORD Keys = 0;
  if (Event->modifiers() & Qt::ControlModifier) Keys |= MK_KEYSTATE_CONTROL;
  if (Event->modifiers() & Qt::ShiftModifier) Keys |= MK_KEYSTATE_SHIFT;
  DWORD Effect = 0;
  if (Event->possibleActions() & Qt::CopyAction) Effect |= DROPEFFECT_COPY;
  if (Event->possibleActions() & Qt::MoveAction) Effect |= DROPEFFECT_MOVE;
  if (Event->possibleActions() & Qt::LinkAction) Effect |= DROPEFFECT_LINK;
  oleCallback_->GetDragDropEffect(false, Keys, &Effect);
  const bool Link = Effect == DROPEFFECT_LINK;
  // The file is copied into the text, never moved: a move would let the file manager delete it.
  const Qt::DropAction Action = Link ? Qt::LinkAction : Qt::CopyAction;
  if (!(Event->possibleActions() & Action) && !(Event->possibleActions() & Qt::MoveAction)) {
    Event->ignore();
    return true;
  }
  Event->setDropAction(Action);
  Event->accept();
  if (Event->type() == QEvent::Drop) {
    const int At = Engine()->cursorForPosition(Event->position().toPoint()).position();
    Engine()->SetSel(CHARRANGE{At, At});
    InsertFiles(Files, Link);
    Engine()->setFocus(Qt::MouseFocusReason);
  }
  return true;
}

// ---- properties -----------------------------------------------------------------------------

bool TqvCustomRichEdit::ShowObjectProperties() {
  if (!richEditOle_) return false;
  const TqvSelectionType Sel = GetSelectionType();
  if (!(Sel == TqvSelectionType{stObject})) return false;
  REOBJECT Reo;
  if (richEditOle_->GetObject(REO_IOB_SELECTION, &Reo, REO_GETOBJ_POLEOBJ | REO_GETOBJ_POLESITE) != S_OK ||
      !Reo.poleobj)
    return false;
  if (Reo.dwFlags & REO_INPLACEACTIVE) return false;
  auto ObjInfo = std::make_unique<TqvOleUIObjInfo>(this, Reo);
  std::unique_ptr<TqvOleUILinkInfo> LinkInfo;
  platform::OLEUIOBJECTPROPS Props;
  Props.dwFlags = platform::OPF_DISABLECONVERT;
  Props.lpObjInfo = ObjInfo.get();
  if (Reo.dwFlags & REO_LINK) {
    LinkInfo = std::make_unique<TqvOleUILinkInfo>(this, Reo);
    Props.dwFlags |= platform::OPF_OBJECTISLINK;
    Props.lpLinkInfo = LinkInfo.get();
  }
  platform::PROPSHEETHEADER Sheet;
  Sheet.hwndParent = this;
  Sheet.pszCaption = QCoreApplication::translate("Editor", "%1 Properties").arg(Reo.poleobj->UserType(int(USERCLASSTYPE_FULL)));
  platform::OLEUIGNRLPROPS General;
  platform::OLEUIVIEWPROPS View;
  View.dwFlags = platform::VPF_DISABLESCALE;
  platform::OLEUILINKPROPS LinkPage;
  LinkPage.dwFlags = platform::ELF_DISABLECANCELLINK;
  Props.lpPS = &Sheet;
  Props.lpGP = &General;
  Props.lpVP = &View;
  Props.lpLP = &LinkPage;
  return platform::OleUIObjectProperties(Props) == platform::OLEUI_OK;
}

// ---- verbs ----------------------------------------------------------------------------------

void TqvCustomRichEdit::LoadVerbs() {
  ClearVerbs();
  if (!currentObject_) return;
  for (LONG I = 0;; ++I) {
    OLEVERB Verb;
    if (currentObject_->EnumVerb(I, &Verb) != S_OK) break;
    if (Verb.lVerb < 0 || !(Verb.grfAttribs & OLEVERBATTRIB_ONCONTAINERMENU)) break;
    verbNames_.append({Verb.lpszVerbName, std::uint32_t(WORD(Verb.lVerb)) | (std::uint32_t(WORD(Verb.fuFlags)) << 16)});
  }
}

void TqvCustomRichEdit::DoVerb(int Verb) {
  if (!richEditOle_ || !currentObject_) return;
  LONG Number = Verb;
  if (Verb > 0) {
    if (Verb >= verbNames_.size()) throw EOleError(QStringLiteral("Invalid Verb"), OLEOBJ_E_INVALIDVERB);
    Number = SHORT(WORD(verbNames_[Verb].Data & 0xFFFF));
  } else if (Verb == -65536) {
    Number = OLEIVERB_PRIMARY;
  }
  IOleClientSite* Site = nullptr;
  richEditOle_->GetClientSite(&Site);
  OleCheck(currentObject_->DoVerb(Number, Site, this, ClientRect(this)), currentObject_);
}

// ---- content or icon ------------------------------------------------------------------------

HRESULT TqvCustomRichEdit::SetDrawAspect(IOleObject* Obj, bool Iconic, const QImage& IconPicture, DWORD& Aspect) {
  if (!Obj) return E_INVALIDARG;
  const DWORD New = Iconic ? DVASPECT_ICON : DVASPECT_CONTENT;
  const DWORD Advf = Iconic ? ADVF_NODATA : ADVF_PRIMEFIRST;
  const DWORD Old = Aspect;
  Aspect = New;
  HRESULT Result = S_OK;
  if (Old != New || Iconic) {
    IOleCache* Cache = Obj->QueryCache();
    if (!Cache) return E_NOINTERFACE;
    if (Old != New) {
      DWORD Connection = 0;
      Result = Cache->Cache(New, Advf, &Connection);
    }
    if (SUCCEEDED(Result) && Iconic) {
      const QImage Picture = IconPicture.isNull() ? IconPictureOf(Obj, DVASPECT_CONTENT) : IconPicture;
      Result = Cache->SetData(DVASPECT_ICON, Picture);
    }
    if (SUCCEEDED(Result) && Old != New) {
      QList<STATDATA> Entries;
      Cache->EnumCache(&Entries);
      for (const STATDATA& E : Entries)
        if (E.aspect == Old) Cache->Uncache(E.connection);
    }
  }
  if (SUCCEEDED(Result) && New == DVASPECT_CONTENT) Result = Obj->Update();
  return Result;
}

QImage TqvCustomRichEdit::IconPictureOf(IOleObject* Obj, DWORD Aspect) {
  if (!Obj) return {};
  QImage Picture;
  if (Aspect == DVASPECT_ICON && Obj->QueryCache() && Obj->QueryCache()->GetData(DVASPECT_ICON, &Picture) == S_OK)
    return Picture;
  // A file's icon is labelled with its name, which says more than its type.
  if (auto* File = dynamic_cast<TqvFileOleObject*>(Obj)) return platform::IconOfType(Obj->ClassName(), File->File().FileName());
  return platform::IconOfType(Obj->ClassName(), Obj->UserType(int(USERCLASSTYPE_FULL)));
}

// ---- failures and double clicks -------------------------------------------------------------

void TqvCustomRichEdit::ObjectOperationFailed(HRESULT Result) {
  IOleObject* Obj = nullptr;
  REOBJECT Reo;
  if (richEditOle_ && richEditOle_->GetObject(REO_IOB_SELECTION, &Reo, REO_GETOBJ_POLEOBJ) == S_OK) Obj = Reo.poleobj;
  platform::Guarded([&] { OleCheck(Result, Obj); }, this);
}

void TqvDBRichEdit::DblClick() {
  if (GetField() && !contentLoaded_) {
    LoadContentsWithCursor();
    return;
  }
  REOBJECT Reo;
  if (richEditOle_ && richEditOle_->GetObject(REO_IOB_SELECTION, &Reo, REO_GETOBJ_POLEOBJ) == S_OK && Reo.poleobj) {
    if (GetReadOnly()) {
      // Only the control's own event: the object stays closed.
      objectActivationRefused_ = true;
      engine::TCustomRichEdit::DblClick();
      return;
    }
    currentObject_ = Reo.poleobj;
    // The object's application saved it: the record is edited and the change kept.
    oleCallbackObject_->AdviseOnce(Reo.poleobj, this, [this] {
      BeginEdit();
      DataLink().Modified();
      SetModified(true);
    });
  }
  TqvCustomRichEdit::DblClick();
}

}  // namespace richtext
