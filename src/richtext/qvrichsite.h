#pragma once
// What the control's object parts ask of the control: the object callback
// (qvricholecallback) and the object properties (qvrichobjinfo). The control (qvriched)
// implements it and hands itself to its parts as one; they know nothing more of it, so the
// arrows run from the control to its parts only.

#include <QImage>
#include <QString>

#include "engine/RichEditTypes.h"

class QMenu;
class QWidget;

namespace richtext {

class TqvRichEditSite {
 public:
  virtual ~TqvRichEditSite() = default;

  // The control as a window: the owner of messages, the window an object's verb opens beside.
  virtual QWidget* SiteWidget() = 0;
  // The engine's object interface while the control's window exists, else nullptr.
  virtual engine::IRichEditOle* SiteRichEditOle() const = 0;
  // The control's title: the document an object sits in.
  virtual QString SiteTitle() const = 0;
  // The icon picture of an object: its cached icon while shown as one, else its type's.
  virtual QImage SiteIconPictureOf(engine::IOleObject* Obj, engine::DWORD Aspect) = 0;
  // Shows Obj as content or icon; Aspect (in and out) is its draw aspect.
  virtual engine::HRESULT SiteSetDrawAspect(engine::IOleObject* Obj, bool Iconic, const QImage& IconPicture,
                                            engine::DWORD& Aspect) = 0;
  virtual void SiteSetModified(bool Value) = 0;
  // A popup the mouse asked for is pending and the control has a popup menu.
  virtual bool SiteWantsMousePopup() const = 0;
  // The popup menu as it is about to be shown, with the object items added; the mouse's request
  // is then no longer pending.
  virtual QMenu* SiteTakeMousePopup() = 0;
};

}  // namespace richtext
