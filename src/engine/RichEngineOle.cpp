#include "engine/RichEngine_p.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "engine/RichEngine.h"
#include "rtf/ObjectGroup.h"
#include "rtf/RtfReader.h"
#include "rtf/TextModel.h"
#include "rtf/TextObjects.h"

namespace engine {

namespace {
qulonglong KeyOf(const QTextCharFormat& f) { return f.property(rtf::kObjectKey).toULongLong(); }
}  // namespace

HRESULT TRichEngineOle::GetClientSite(IOleClientSite** site) {
  if (!site) return E_INVALIDARG;
  *site = this;
  return S_OK;
}

HRESULT TRichEngineOle::SaveObject() {
  bool changed = false;
  for (const int pos : Positions()) {
    const QTextCharFormat f = FormatAt(pos);
    Hosted* h = Current(f);
    if (!h) continue;
    const QByteArray now = h->obj->ObjectRtf();
    if (now.isEmpty() || now == f.property(rtf::kObjectRtf).toByteArray()) continue;
    Restore(pos, now);
    changed = true;
  }
  if (changed) e_->SetModify(true);
  return S_OK;
}

HRESULT TRichEngineOle::SetHostNames(const QString& app, const QString& obj) {
  hostApp_ = app;
  hostObj_ = obj;
  return S_OK;
}

QList<int> TRichEngineOle::Positions() const {
  QList<int> out;
  const QTextDocument* doc = e_->document();
  for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment fr = it.fragment();
      if (!fr.charFormat().isImageFormat() && fr.charFormat().objectType() != rtf::kEmbeddedObjectType) continue;
      const QString t = fr.text();
      for (int i = 0; i < t.size(); ++i)
        if (TRichDocument::IsObjectChar(t[i])) out.append(fr.position() + i);
    }
  return out;
}

LONG TRichEngineOle::GetLinkCount() {
  LONG n = 0;
  for (const int pos : Positions())
    if (rtf::ObjectGroupIsLink(FormatAt(pos).property(rtf::kObjectRtf).toByteArray())) ++n;
  return n;
}

QTextCharFormat TRichEngineOle::FormatAt(int pos) const {
  QTextCursor c(e_->document());
  c.setPosition(pos + 1);
  return c.charFormat();
}

TRichEngineOle::Hosted* TRichEngineOle::Current(const QTextCharFormat& f) {
  if (!f.hasProperty(rtf::kObjectIndex)) return nullptr;
  auto it = objects_.find(f.intProperty(rtf::kObjectIndex));
  if (it == objects_.end() || !it->obj || it->key != KeyOf(f)) return nullptr;
  return &*it;
}

IOleObject* TRichEngineOle::ObjectAt(int pos) {
  Hosted* h = Current(FormatAt(pos));
  return h ? h->obj : nullptr;
}

IOleObject* TRichEngineOle::HostAt(int pos) {
  const QTextCharFormat f = FormatAt(pos);
  if (Hosted* h = Current(f)) return h->obj;
  IRichEditOleCallback* cb = e_->OleCallback();
  if (!cb || !f.hasProperty(rtf::kObjectRtf) || !f.hasProperty(rtf::kObjectIndex)) return nullptr;
  REOBJECT stored;
  stored.cp = pos;
  stored.clsid = f.property(rtf::kObjectClass).toString();
  stored.objectRtf = f.property(rtf::kObjectRtf).toByteArray();
  stored.dwFlags = rtf::ObjectGroupIsLink(stored.objectRtf) ? REO_LINK : REO_NULL;
  stored.dvaspect = DVASPECT_CONTENT;
  IOleObject* obj = nullptr;
  if (cb->LoadObject(&stored, &obj) != S_OK || !obj) return nullptr;
  objects_.insert(f.intProperty(rtf::kObjectIndex), Hosted{obj, KeyOf(f), stored.dvaspect});
  return obj;
}

bool TRichEngineOle::Fill(int pos, REOBJECT* reo, DWORD flags) {
  const QTextCharFormat f = FormatAt(pos);
  reo->cp = pos;
  reo->objectRtf = f.property(rtf::kObjectRtf).toByteArray();
  const bool isObject = !reo->objectRtf.isEmpty();
  if (!isObject) reo->objectRtf = f.property(rtf::kPictureRtf).toByteArray();
  reo->clsid = f.property(rtf::kObjectClass).toString();
  if (reo->clsid.isEmpty() && !isObject) reo->clsid = QStringLiteral("StaticDib");
  reo->dwFlags = isObject ? REO_NULL : REO_STATIC;
  if (isObject && rtf::ObjectGroupIsLink(reo->objectRtf)) reo->dwFlags |= REO_LINK;
  const QSizeF sz = rtf::ObjectSize(f);
  reo->sizel = {rtf::DocToTwips(sz.width()), rtf::DocToTwips(sz.height())};
  IOleObject* obj = isObject && (flags & REO_GETOBJ_POLEOBJ) ? HostAt(pos) : nullptr;
  const Hosted* h = isObject ? Current(f) : nullptr;
  reo->dvaspect = h ? h->aspect : DVASPECT_CONTENT;
  reo->poleobj = obj;
  reo->polesite = (flags & REO_GETOBJ_POLESITE) ? static_cast<IOleClientSite*>(this) : nullptr;
  reo->pstg = nullptr;
  const CHARRANGE sel = e_->GetSel();
  if (sel.cpMin <= pos && pos < sel.cpMax) reo->dwFlags |= REO_SELECTED;
  return true;
}

int TRichEngineOle::PositionOf(LONG iob) {
  const QList<int> pos = Positions();
  if (iob == REO_IOB_SELECTION) {
    const CHARRANGE sel = e_->GetSel();
    return sel.cpMax - sel.cpMin == 1 && pos.contains(sel.cpMin) ? sel.cpMin : -1;
  }
  return iob >= 0 && iob < pos.size() ? pos[iob] : -1;
}

HRESULT TRichEngineOle::GetObject(LONG iob, REOBJECT* reo, DWORD flags) {
  if (!reo) return E_INVALIDARG;
  if (iob == REO_IOB_SELECTION) {
    const int at = PositionOf(iob);
    return at >= 0 && Fill(at, reo, flags) ? S_OK : E_FAIL;
  }
  if (iob == REO_IOB_USE_CP) {
    if (!Positions().contains(reo->cp)) return E_INVALIDARG;
    return Fill(reo->cp, reo, flags) ? S_OK : E_FAIL;
  }
  const int at = PositionOf(iob);
  if (at < 0) return E_INVALIDARG;
  return Fill(at, reo, flags) ? S_OK : E_FAIL;
}

HRESULT TRichEngineOle::InsertObject(REOBJECT* reo) {
  if (!reo) return E_INVALIDARG;
  QByteArray rtf = reo->objectRtf;
  if (rtf.isEmpty() && reo->poleobj) rtf = reo->poleobj->ObjectRtf();
  const CHARRANGE sel = e_->GetSel();
  const int at = reo->cp == REO_CP_SELECTION ? sel.cpMin : reo->cp;
  if (at < 0 || at > e_->TextLength()) return E_INVALIDARG;
  if (IRichEditOleCallback* cb = e_->OleCallback())
    if (cb->QueryInsertObject(reo->clsid, reo->pstg, at) != S_OK) return E_FAIL;
  TRichDocument& doc = e_->RichDocument();
  QTextCursor c = reo->cp == REO_CP_SELECTION ? doc.CursorFor(sel.cpMin, sel.cpMax) : doc.CursorFor(at, at);
  if (!rtf.startsWith("{\\object") && !rtf.startsWith("{\\pict") && !rtf.startsWith("{\\*\\shppict")) {
    QTextCharFormat f = c.charFormat();
    f.setObjectType(rtf::kEmbeddedObjectType);
    f.setProperty(rtf::kObjectRtf, rtf);
    f.setProperty(rtf::kObjectClass, reo->clsid);
    const int handle = rtf::NewObjectHandle();
    f.setProperty(rtf::kObjectIndex, handle);
    if (reo->poleobj) objects_.insert(handle, Hosted{reo->poleobj, KeyOf(f), reo->dvaspect});
    c.insertText(QString(QChar::ObjectReplacementCharacter), f);
    return S_OK;
  }
  // The stored form is RTF: read it as the reader reads any object, so that it draws and writes
  // back exactly as one read from a file.
  const QByteArray wrapped = "{\\rtf1\\ansi " + rtf + "}";
  QTextCursor probe = c;
  c.beginEditBlock();
  base::ScopeGuard endEdit([&c] { c.endEditBlock(); });
  const int left = e_->TextLength() - (reo->cp == REO_CP_SELECTION ? sel.cpMax - sel.cpMin : 0);
  if (!rtf::ReadRtf(wrapped, probe, nullptr) || e_->TextLength() == left) return E_FAIL;
  const QTextCharFormat f = FormatAt(at);
  if (reo->poleobj && f.hasProperty(rtf::kObjectIndex))
    objects_.insert(f.intProperty(rtf::kObjectIndex), Hosted{reo->poleobj, KeyOf(f), reo->dvaspect});
  return S_OK;
}

void TRichEngineOle::Restore(int pos, const QByteArray& objectRtf) {
  QTextDocument scratch;
  QTextCursor sc(&scratch);
  if (!rtf::ReadRtf("{\\rtf1\\ansi " + objectRtf + "}", sc, nullptr)) return;
  QTextCharFormat read;
  bool found = false;
  for (QTextBlock b = scratch.begin(); b.isValid() && !found; b = b.next())
    for (auto it = b.begin(); !it.atEnd(); ++it)
      if (it.fragment().charFormat().objectType() == rtf::kEmbeddedObjectType) {
        read = it.fragment().charFormat();
        found = true;
        break;
      }
  if (!found) return;
  QTextCharFormat f = FormatAt(pos);
  static const int kObjectProperties[] = {
      rtf::kPictureData,   rtf::kPictureKind,   rtf::kPictureGoalWTw, rtf::kPictureGoalHTw,
      rtf::kPictureScaleX, rtf::kPictureScaleY, rtf::kPictureRtf,     rtf::kObjectRtf,
      rtf::kObjectClass,   rtf::kObjectKey,     rtf::kPictureWidthTw, rtf::kPictureHeightTw};
  for (const int p : kObjectProperties) {
    if (read.hasProperty(p)) f.setProperty(p, read.property(p));
    else f.clearProperty(p);
  }
  // The object stays the one it was: its handle and its host go on.
  QTextCursor c = e_->RichDocument().CursorFor(pos, pos + 1);
  c.setCharFormat(f);
  auto it = objects_.find(f.intProperty(rtf::kObjectIndex));
  if (it != objects_.end()) it->key = KeyOf(f);
}

HRESULT TRichEngineOle::SetDvaspect(LONG iob, DWORD aspect) {
  if (aspect != DVASPECT_CONTENT && aspect != DVASPECT_ICON) return E_INVALIDARG;
  const int at = PositionOf(iob);
  if (at < 0) return E_INVALIDARG;
  const QTextCharFormat f = FormatAt(at);
  Hosted* h = Current(f);
  if (!h) return S_OK;
  h->aspect = aspect;
  const QByteArray now = h->obj->ObjectRtf();
  if (!now.isEmpty() && now != f.property(rtf::kObjectRtf).toByteArray()) Restore(at, now);
  return S_OK;
}

}  // namespace engine
