#pragma once
// The {\object ...} group of an embedded or linked object: writing one, and reading back the
// parts a host needs (kind, class, data) from a group the reader kept byte for byte.

#include <QByteArray>
#include <QString>

namespace rtf {

struct ObjectGroup {
  bool link = false;      // \objlink (else \objemb)
  QString objectClass;    // \objclass
  QByteArray data;        // \objdata, decoded
  int widthTw = 0;        // \objw, \objh: the size the object takes
  int heightTw = 0;
  // Writing: the object's drawing as PNG bytes of the given pixel size, written as the
  // \result picture that other readers show.
  QByteArray resultPng;
  int resultWidthPx = 0;
  int resultHeightPx = 0;
  // Reading: \objdata held more than the limit; data is then empty.
  bool dataTooLarge = false;
};

// A complete {\object ...} group, the same bytes for the same object every time.
QByteArray ObjectGroupRtf(const ObjectGroup& g);

// Reads kind, class, size and data from an object group. Data beyond maxData bytes is refused
// (dataTooLarge) rather than read. False when the bytes are not an object group.
bool ReadObjectGroup(const QByteArray& group, ObjectGroup& out, qsizetype maxData);

// True for a linked object's group (\objlink or \objautlink before its data).
bool ObjectGroupIsLink(const QByteArray& group);

// A handle that tells one object of a document from another for as long as the program runs;
// the reader gives one to every object it reads (kObjectIndex).
int NewObjectHandle();

}  // namespace rtf
