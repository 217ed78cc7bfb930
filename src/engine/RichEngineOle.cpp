#include "engine/RichEngineOle.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "engine/RichEngine.h"
#include "rtf/RtfReader.h"
#include "rtf/TextModel.h"
#include "rtf/TextObjects.h"

namespace engine {

HRESULT TRichEngineOle::GetClientSite(IOleClientSite** site) {
  if (!site) return E_INVALIDARG;
  *site = this;
  return S_OK;
}

HRESULT TRichEngineOle::SaveObject() {
  e_->SetModify(true);
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

bool TRichEngineOle::Fill(int pos, REOBJECT* reo, DWORD flags) {
  QTextCursor c(e_->document());
  c.setPosition(pos + 1);
  const QTextCharFormat f = c.charFormat();
  reo->cp = pos;
  reo->objectRtf = f.property(rtf::kObjectRtf).toByteArray();
  if (reo->objectRtf.isEmpty()) reo->objectRtf = f.property(rtf::kPictureRtf).toByteArray();
  reo->clsid = f.property(rtf::kObjectClass).toString();
  const bool isObject = f.hasProperty(rtf::kObjectRtf);
  if (reo->clsid.isEmpty() && !isObject) reo->clsid = QStringLiteral("StaticDib");
  reo->dwFlags = isObject ? REO_NULL : REO_STATIC;
  reo->dvaspect = DVASPECT_CONTENT;
  const QSizeF sz = rtf::ObjectSize(f);
  reo->sizel = {rtf::DocToTwips(sz.width()), rtf::DocToTwips(sz.height())};
  IOleObject* obj = nullptr;
  if (f.hasProperty(rtf::kObjectIndex)) obj = objects_.value(f.intProperty(rtf::kObjectIndex), nullptr);
  reo->poleobj = (flags & REO_GETOBJ_POLEOBJ) ? obj : nullptr;
  reo->polesite = (flags & REO_GETOBJ_POLESITE) ? static_cast<IOleClientSite*>(this) : nullptr;
  reo->pstg = nullptr;
  const CHARRANGE sel = e_->GetSel();
  if (sel.cpMin <= pos && pos < sel.cpMax) reo->dwFlags |= REO_SELECTED;
  return true;
}

HRESULT TRichEngineOle::GetObject(LONG iob, REOBJECT* reo, DWORD flags) {
  if (!reo) return E_INVALIDARG;
  const QList<int> pos = Positions();
  if (iob == REO_IOB_SELECTION) {
    const CHARRANGE sel = e_->GetSel();
    if (sel.cpMax - sel.cpMin != 1 || !pos.contains(sel.cpMin)) return E_FAIL;
    return Fill(sel.cpMin, reo, flags) ? S_OK : E_FAIL;
  }
  if (iob == REO_IOB_USE_CP) {
    if (!pos.contains(reo->cp)) return E_INVALIDARG;
    return Fill(reo->cp, reo, flags) ? S_OK : E_FAIL;
  }
  if (iob < 0 || iob >= pos.size()) return E_INVALIDARG;
  return Fill(pos[iob], reo, flags) ? S_OK : E_FAIL;
}

int TRichEngineOle::Attach(IOleObject* obj) {
  const int handle = nextHandle_++;
  objects_.insert(handle, obj);
  return handle;
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
    if (reo->poleobj) f.setProperty(rtf::kObjectIndex, Attach(reo->poleobj));
    c.insertText(QString(QChar::ObjectReplacementCharacter), f);
    return S_OK;
  }
  // The stored form is RTF: read it as the reader reads any object, so that it draws and writes
  // back exactly as one read from a file.
  const QByteArray wrapped = "{\\rtf1\\ansi " + rtf + "}";
  QTextCursor probe = c;
  c.beginEditBlock();
  base::ScopeGuard endEdit([&c] { c.endEditBlock(); });
  const int before = e_->TextLength();
  if (!rtf::ReadRtf(wrapped, probe, nullptr) || e_->TextLength() == before) return E_FAIL;
  if (reo->poleobj) {
    QTextCursor oc = doc.CursorFor(at, at + 1);
    QTextCharFormat f;
    f.setProperty(rtf::kObjectIndex, Attach(reo->poleobj));
    oc.mergeCharFormat(f);
  }
  return S_OK;
}

HRESULT TRichEngineOle::SetDvaspect(LONG iob, DWORD aspect) {
  REOBJECT r;
  if (GetObject(iob, &r, REO_GETOBJ_NO_INTERFACES) != S_OK) return E_INVALIDARG;
  return aspect == DVASPECT_CONTENT || aspect == DVASPECT_ICON ? S_OK : E_INVALIDARG;
}

IOleObject* TRichEngineOle::ObjectAt(int pos) {
  QTextCursor c(e_->document());
  c.setPosition(pos + 1);
  const QTextCharFormat f = c.charFormat();
  return f.hasProperty(rtf::kObjectIndex) ? objects_.value(f.intProperty(rtf::kObjectIndex), nullptr) : nullptr;
}

}  // namespace engine
