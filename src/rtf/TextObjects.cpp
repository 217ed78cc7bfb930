#include "rtf/TextObjects.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QCache>
#include <QPainter>
#include <QTextDocument>
#include <QtEndian>

#include "rtf/TextFields.h"
#include "rtf/TextModel.h"

namespace rtf {

namespace {

// Device-independent bitmaps in RTF lack the file header that image readers expect.
QImage DecodeDib(const QByteArray& dib) {
  if (dib.size() < 16) return {};
  const uchar* d = reinterpret_cast<const uchar*>(dib.constData());
  const quint32 headerSize = qFromLittleEndian<quint32>(d);
  if (headerSize < 12 || headerSize > quint32(dib.size())) return {};
  quint32 paletteBytes = 0;
  if (headerSize >= 40) {
    const quint16 bitCount = qFromLittleEndian<quint16>(d + 14);
    const quint32 compression = qFromLittleEndian<quint32>(d + 16);
    quint32 used = qFromLittleEndian<quint32>(d + 32);
    if (used == 0 && bitCount <= 8) used = 1u << bitCount;
    if (used > 256) used = 256;
    paletteBytes = used * 4;
    if (compression == 3 && headerSize == 40) paletteBytes += 12;
  } else {
    const quint16 bitCount = qFromLittleEndian<quint16>(d + 10);
    if (bitCount <= 8) paletteBytes = (1u << bitCount) * 3;
  }
  QByteArray file;
  file.reserve(dib.size() + 14);
  file.append("BM", 2);
  uchar header[12];
  qToLittleEndian<quint32>(quint32(dib.size() + 14), header);
  qToLittleEndian<quint32>(0, header + 4);
  qToLittleEndian<quint32>(14 + headerSize + paletteBytes, header + 8);
  file.append(reinterpret_cast<const char*>(header), 12);
  file.append(dib);
  return QImage::fromData(file, "BMP");
}

QCache<qulonglong, QImage>& ImageCache() {
  // Cost in kilobytes: up to 64 MB of decoded pictures stay ready for painting.
  static QCache<qulonglong, QImage> cache(64 * 1024);
  return cache;
}

class TextObjectHandler : public QObject, public QTextObjectInterface {
  Q_OBJECT
  Q_INTERFACES(QTextObjectInterface)

 public:
  explicit TextObjectHandler(QObject* parent) : QObject(parent) {}

  QSizeF intrinsicSize(QTextDocument*, int, const QTextFormat& format) override {
    return ObjectSize(format);
  }

  void drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int,
                  const QTextFormat& format) override {
    const QImage image = ObjectImage(format);
    if (!image.isNull()) {
      painter->drawImage(rect, image);
      return;
    }
    painter->save();
    if (format.hasProperty(kShapeHead)) {
      // A drawing shape without a picture: its outline, and its text where it has some.
      painter->setPen(QPen(Qt::gray, 1, Qt::DashLine));
      painter->setBrush(Qt::NoBrush);
      painter->drawRect(rect.adjusted(0.5, 0.5, -0.5, -0.5));
      painter->setPen(Qt::black);
      painter->drawText(rect.adjusted(3, 3, -3, -3), Qt::TextWordWrap, format.stringProperty(QTextFormat::TextToolTip));
    } else if (format.hasProperty(kObjectRtf)) {
      // An object with nothing to show: a sheet with a folded corner stands for it.
      const qreal s = std::min<qreal>({rect.width(), rect.height(), 32.0});
      const QRectF icon(rect.center().x() - s / 2, rect.center().y() - s / 2, s, s);
      const qreal fold = s / 4;
      QPolygonF sheet;
      sheet << icon.topLeft() << QPointF(icon.right() - fold, icon.top())
            << QPointF(icon.right(), icon.top() + fold) << icon.bottomRight()
            << icon.bottomLeft();
      painter->setPen(QPen(Qt::darkGray, 1));
      painter->setBrush(Qt::white);
      painter->drawPolygon(sheet);
      painter->drawLine(QPointF(icon.right() - fold, icon.top()),
                        QPointF(icon.right() - fold, icon.top() + fold));
      painter->drawLine(QPointF(icon.right() - fold, icon.top() + fold),
                        QPointF(icon.right(), icon.top() + fold));
    } else {
      // A metafile: kept and written back, shown as a frame of its size.
      painter->setPen(QPen(Qt::gray, 1, Qt::DashLine));
      painter->setBrush(QColor(245, 245, 245));
      painter->drawRect(rect.adjusted(0.5, 0.5, -0.5, -0.5));
    }
    painter->restore();
  }
};

QByteArray HexLines(const QByteArray& data) {
  const QByteArray hex = data.toHex();
  QByteArray out;
  out.reserve(hex.size() + hex.size() / 128 * 2 + 2);
  for (qsizetype i = 0; i < hex.size(); i += 128) {
    out.append("\r\n");
    out.append(hex.constData() + i, std::min<qsizetype>(128, hex.size() - i));
  }
  return out;
}

}  // namespace

void RegisterTextObjects(QTextDocument* doc) {
  if (!doc) return;
  RegisterFieldObjects(doc);
  QAbstractTextDocumentLayout* layout = doc->documentLayout();
  if (layout->handlerForObject(kEmbeddedObjectType)) return;
  layout->registerHandler(kEmbeddedObjectType, new TextObjectHandler(doc));
}

QImage ObjectImage(const QTextFormat& format) {
  if (!format.hasProperty(kPictureData)) return {};
  const int kind = format.intProperty(kPictureKind);
  if (kind == kMetafilePicture) return {};
  const QByteArray data = format.property(kPictureData).toByteArray();
  if (data.isEmpty()) return {};
  const qulonglong key = format.hasProperty(kObjectKey)
                             ? format.property(kObjectKey).toULongLong()
                             : qulonglong(qHash(data));
  QCache<qulonglong, QImage>& cache = ImageCache();
  if (QImage* hit = cache.object(key)) return *hit;
  QImage image = kind == kDibPicture ? DecodeDib(data) : QImage::fromData(data);
  if (image.isNull() && kind == kOtherPicture) image = DecodeDib(data);
  cache.insert(key, new QImage(image), std::max<qsizetype>(1, image.sizeInBytes() / 1024));
  return image;
}

QSizeF ObjectSize(const QTextFormat& format) {
  const int goalW = format.intProperty(kPictureGoalWTw);
  const int goalH = format.intProperty(kPictureGoalHTw);
  const int scaleX = format.hasProperty(kPictureScaleX) ? format.intProperty(kPictureScaleX) : 100;
  const int scaleY = format.hasProperty(kPictureScaleY) ? format.intProperty(kPictureScaleY) : 100;
  auto scaled = [](qreal v, int scale) { return v * (scale > 0 ? scale : 100) / 100.0; };
  // Nothing is drawn larger than a few pages, whatever the file claims.
  auto bound = [](QSizeF s) {
    return QSizeF(std::clamp<qreal>(s.width(), 1, 4000), std::clamp<qreal>(s.height(), 1, 4000));
  };
  if (goalW > 0 && goalH > 0)
    return bound(QSizeF(scaled(TwipsToDoc(goalW), scaleX), scaled(TwipsToDoc(goalH), scaleY)));
  const int picW = format.intProperty(kPictureWidthTw);
  const int picH = format.intProperty(kPictureHeightTw);
  if (format.intProperty(kPictureKind) == kMetafilePicture && picW > 0 && picH > 0) {
    // Metafile extents are in hundredths of a millimetre.
    return bound(QSizeF(scaled(picW * kDocDpi / 2540.0, scaleX), scaled(picH * kDocDpi / 2540.0, scaleY)));
  }
  const QImage image = ObjectImage(format);
  if (!image.isNull())
    return bound(QSizeF(scaled(image.width(), scaleX), scaled(image.height(), scaleY)));
  if (picW > 0 && picH > 0) return bound(QSizeF(scaled(picW, scaleX), scaled(picH, scaleY)));
  return QSizeF(32, 32);
}

QByteArray PictureRtf(const QByteArray& data, int kind, int picw, int pich, int goalWTw,
                      int goalHTw, int scaleX, int scaleY) {
  static const char* const blips[] = {"", "\\pngblip", "\\jpegblip", "\\dibitmap0",
                                      "\\wmetafile8", ""};
  QByteArray rtf = "{\\pict";
  rtf += blips[kind >= kPngPicture && kind <= kOtherPicture ? kind : kOtherPicture];
  rtf += "\\picw" + QByteArray::number(picw) + "\\pich" + QByteArray::number(pich);
  if (goalWTw > 0) rtf += "\\picwgoal" + QByteArray::number(goalWTw);
  if (goalHTw > 0) rtf += "\\pichgoal" + QByteArray::number(goalHTw);
  if (scaleX != 100) rtf += "\\picscalex" + QByteArray::number(scaleX);
  if (scaleY != 100) rtf += "\\picscaley" + QByteArray::number(scaleY);
  return rtf + HexLines(data) + "}";
}

QTextCharFormat PictureFormat(const QByteArray& bytes, int kind, int widthTw, int heightTw) {
  QByteArray data = bytes;
  if (kind == kDibPicture) {
    // A BMP file: the RTF form keeps only the bitmap after its 14-byte file header.
    if (data.startsWith("BM") && data.size() > 14) data = data.mid(14);
  }
  QTextCharFormat f;
  f.setObjectType(kEmbeddedObjectType);
  f.setProperty(kPictureData, data);
  f.setProperty(kPictureKind, kind);
  f.setProperty(kObjectKey, qulonglong(qHash(data)));
  const QImage image = ObjectImage(f);
  const int pw = image.isNull() ? 0 : image.width();
  const int ph = image.isNull() ? 0 : image.height();
  if (widthTw <= 0) widthTw = pw * kTwipsPerInch / kDocDpi;
  if (heightTw <= 0) heightTw = ph * kTwipsPerInch / kDocDpi;
  f.setProperty(kPictureWidthTw, pw);
  f.setProperty(kPictureHeightTw, ph);
  f.setProperty(kPictureGoalWTw, widthTw);
  f.setProperty(kPictureGoalHTw, heightTw);
  f.setProperty(kPictureScaleX, 100);
  f.setProperty(kPictureScaleY, 100);
  f.setProperty(kPictureRtf, PictureRtf(data, kind, pw, ph, widthTw, heightTw));
  return f;
}

}  // namespace rtf

#include "TextObjects.moc"
