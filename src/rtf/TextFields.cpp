#include "rtf/TextFields.h"

#include <QAbstractTextDocumentLayout>
#include <QDateTime>
#include <QFontMetricsF>
#include <QPainter>
#include <QRegularExpression>
#include <QTextCharFormat>

#include "rtf/TextModel.h"

namespace rtf {

namespace {

int PageOf(QTextDocument* doc) {
  const QVariant v = doc ? doc->property(kPageNumberProperty) : QVariant();
  return v.isValid() ? v.toInt() : 1;
}

class FieldHandler : public QObject, public QTextObjectInterface {
  Q_OBJECT
  Q_INTERFACES(QTextObjectInterface)

 public:
  explicit FieldHandler(QObject* parent) : QObject(parent) {}

  QSizeF intrinsicSize(QTextDocument* doc, int, const QTextFormat& format) override {
    const QTextCharFormat cf = format.toCharFormat();
    const QString text = FieldValue(cf.stringProperty(kFieldInst), PageOf(doc));
    const QFontMetricsF fm(cf.font());
    return QSizeF(text.isEmpty() ? 0 : fm.horizontalAdvance(text), fm.height());
  }

  void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int,
                  const QTextFormat& format) override {
    const QTextCharFormat cf = format.toCharFormat();
    const QString text = FieldValue(cf.stringProperty(kFieldInst), PageOf(doc));
    if (text.isEmpty()) return;
    painter->save();
    painter->setFont(cf.font());
    if (cf.hasProperty(QTextFormat::ForegroundBrush)) painter->setPen(cf.foreground().color());
    const QFontMetricsF fm(cf.font());
    painter->drawText(QPointF(rect.left(), rect.top() + fm.ascent()), text);
    painter->restore();
  }
};

}  // namespace

void RegisterFieldObjects(QTextDocument* doc) {
  if (!doc) return;
  QAbstractTextDocumentLayout* layout = doc->documentLayout();
  if (layout->handlerForObject(kFieldObjectType)) return;
  layout->registerHandler(kFieldObjectType, new FieldHandler(layout));
}

QString FieldValue(const QString& instruction, int page) {
  const QString inst = instruction.trimmed();
  const QString name = inst.section(u' ', 0, 0).toUpper();
  if (name == QLatin1String("PAGE")) return QString::number(page);
  if (name == QLatin1String("DATE") || name == QLatin1String("TIME") ||
      name == QLatin1String("PRINTDATE") || name == QLatin1String("CREATEDATE") ||
      name == QLatin1String("SAVEDATE")) {
    const QDateTime now = QDateTime::currentDateTime();
    static const QRegularExpression picture(QStringLiteral("\\\\@\\s*\"([^\"]*)\""));
    const QRegularExpressionMatch m = picture.match(inst);
    // Word's pictures read as Qt's for the common cases ("dd.MM.yyyy", "HH:mm").
    if (m.hasMatch()) return now.toString(m.captured(1).replace(QLatin1String("am/pm"), QLatin1String("AP")));
    return name == QLatin1String("TIME") ? now.toString(QStringLiteral("HH:mm"))
                                         : now.toString(QStringLiteral("dd.MM.yyyy"));
  }
  return {};
}

}  // namespace rtf

#include "TextFields.moc"
