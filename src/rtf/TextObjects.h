#pragma once
// Pictures and embedded objects inside the engine's document.
//
// Both are one object replacement character whose QTextCharFormat has object type
// kEmbeddedObjectType (TextModel.h) and carries the group it was read from (kPictureRtf or
// kObjectRtf), so that writing gives back the same bytes. The handler registered here draws
// them: PNG, JPEG and device-independent bitmaps as themselves, metafiles as a framed
// placeholder of their size, objects as their result picture or an icon.

#include <QImage>
#include <QSizeF>
#include <QTextCharFormat>
#include <QTextDocument>

namespace rtf {

// Registers the drawing handler for kEmbeddedObjectType on the document's layout. Safe to call
// more than once.
void RegisterTextObjects(QTextDocument* doc);

// The image a picture or object format shows (null for a metafile or an object with no
// picture); decoded once and cached by content.
QImage ObjectImage(const QTextFormat& format);

// The size a picture or object takes in the layout, in document units.
QSizeF ObjectSize(const QTextFormat& format);

// A format for a picture given as the bytes of a PNG, JPEG or BMP file (kind as kPictureKind),
// with its shown size in twips (0: the image's own size). Used to insert pictures.
QTextCharFormat PictureFormat(const QByteArray& bytes, int kind, int widthTw = 0, int heightTw = 0);

// A {\pict ...} group for picture data (kind as kPictureKind), as the writer stores it.
QByteArray PictureRtf(const QByteArray& data, int kind, int picw, int pich, int goalWTw,
                      int goalHTw, int scaleX = 100, int scaleY = 100);

}  // namespace rtf
