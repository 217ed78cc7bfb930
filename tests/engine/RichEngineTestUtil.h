#pragma once
// What the engine window's tests share: streaming through the chunk callback, selecting, typing.

#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTest>
#include <tuple>
#include <vector>

#include "engine/RichEngine.h"
#include "rtf/TextModel.h"
#include "rtf/TextObjects.h"

using namespace engine;
using namespace rtf;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace enginetest {

// Streams bytes in through the chunk callback, `chunk` bytes at a time.
inline LRESULT StreamInBytes(TRichEngine& e, DWORD format, const QByteArray& bytes, EDITSTREAM* out = nullptr,
                             LONG chunk = 7) {
  qsizetype pos = 0;
  EDITSTREAM es;
  es.pfnCallback = [&](DWORD_PTR, BYTE* buf, LONG cb, LONG* pcb) -> DWORD {
    const qsizetype n = std::min<qsizetype>(std::min(cb, chunk), bytes.size() - pos);
    memcpy(buf, bytes.constData() + pos, size_t(n));
    pos += n;
    *pcb = LONG(n);
    return 0;
  };
  const LRESULT r = e.Perform(EM_STREAMIN, format, LPARAM(&es));
  if (out) *out = es;
  return r;
}

inline QByteArray StreamOutBytes(TRichEngine& e, DWORD format, DWORD* error = nullptr) {
  QByteArray out;
  EDITSTREAM es;
  es.pfnCallback = [&](DWORD_PTR, BYTE* buf, LONG cb, LONG* pcb) -> DWORD {
    out.append(reinterpret_cast<const char*>(buf), cb);
    *pcb = cb;
    return 0;
  };
  e.Perform(EM_STREAMOUT, format, LPARAM(&es));
  if (error) *error = es.dwError;
  return out;
}

inline void Select(TRichEngine& e, int a, int b) {
  CHARRANGE r{a, b};
  e.Perform(EM_EXSETSEL, 0, LPARAM(&r));
}

inline std::u16string U(const QString& s) { return s.toStdU16String(); }

// Types text key by key, any alphabet.
inline void Type(QWidget* w, const QString& text) {
  for (QChar c : text) {
    const int key = c.isLetter() && c.unicode() < 128 ? int(c.toUpper().unicode()) : int(Qt::Key_unknown);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &release);
  }
}

}  // namespace enginetest
