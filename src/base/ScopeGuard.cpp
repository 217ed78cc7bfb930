#include "base/ScopeGuard.h"

#include <QCursor>
#include <QGuiApplication>

namespace base {

WaitCursor::WaitCursor() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    set_ = true;
  }
}

WaitCursor::~WaitCursor() {
  if (set_) QGuiApplication::restoreOverrideCursor();
}

}  // namespace base
