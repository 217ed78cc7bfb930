#include "rtf/TableModel.h"

#include <algorithm>

#include "rtf/TextModel.h"

namespace rtf {

bool RowProps::operator==(const RowProps& o) const {
  return gapTw == o.gapTw && leftTw == o.leftTw && heightTw == o.heightTw && align == o.align &&
         header == o.header && keep == o.keep && std::equal(border, border + kSides, o.border) &&
         extra == o.extra;
}

QVariant RowProps::Save() const {
  QVariantList v{gapTw, leftTw, heightTw, align, header, keep, extra};
  for (const BorderSide& b : border) v << b.style << b.widthTw << b.spaceTw << b.color;
  return v;
}

RowProps RowProps::Load(const QVariant& value) {
  RowProps r;
  const QVariantList v = value.toList();
  if (v.size() < 7 + 4 * kSides) return r;
  r.gapTw = v[0].toInt();
  r.leftTw = v[1].toInt();
  r.heightTw = v[2].toInt();
  r.align = v[3].toInt();
  r.header = v[4].toBool();
  r.keep = v[5].toBool();
  r.extra = v[6].toByteArray();
  for (int i = 0; i < kSides; ++i) {
    BorderSide& b = r.border[i];
    b.style = std::clamp(v[7 + 4 * i].toInt(), 0, kBorderStyleCount - 1);
    b.widthTw = v[8 + 4 * i].toInt();
    b.spaceTw = v[9 + 4 * i].toInt();
    b.color = v[10 + 4 * i].toInt();
  }
  return r;
}

QList<int> TableEdges(const QTextTable* table, int pageTw) {
  const int columns = table->columns();
  const QTextTableFormat tf = table->format();
  QList<int> edges = tf.property(kTableEdgesTw).value<QList<int>>();
  if (edges.size() == columns) return edges;
  edges.clear();
  // Fixed widths count as they are; percentages and free columns share what is left.
  const QList<QTextLength> widths = tf.columnWidthConstraints();
  qreal fixed = 0, percent = 0;
  int free = 0;
  for (int c = 0; c < columns; ++c) {
    const QTextLength l = c < widths.size() ? widths[c] : QTextLength();
    if (l.type() == QTextLength::FixedLength) fixed += DocToTwips(l.rawValue());
    else if (l.type() == QTextLength::PercentageLength) percent += l.rawValue();
    else ++free;
  }
  const qreal rest = std::max<qreal>(0, pageTw - fixed);
  const qreal perFree = free ? std::max<qreal>(0, rest * (1 - std::min<qreal>(percent, 100) / 100)) / free : 0;
  qreal x = 0;
  for (int c = 0; c < columns; ++c) {
    const QTextLength l = c < widths.size() ? widths[c] : QTextLength();
    qreal w = perFree;
    if (l.type() == QTextLength::FixedLength) w = DocToTwips(l.rawValue());
    else if (l.type() == QTextLength::PercentageLength) w = rest * l.rawValue() / 100;
    x += std::max<qreal>(w, 144);  // no column narrower than a tenth of an inch
    edges << qRound(x);
  }
  return edges;
}

bool CellStartsAt(const QTextTable* table, int row, int column) {
  const QTextTableCell cell = table->cellAt(row, column);
  return cell.isValid() && cell.row() == row && cell.column() == column;
}

}  // namespace rtf
