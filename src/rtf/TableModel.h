#pragma once
// Tables as RTF describes them: a row definition (\trowd ... \cellxN ...) gives the row's
// properties and, for each cell, its right edge and its own properties. The reader turns rows
// into a QTextTable whose columns are the distinct cell edges; the writer turns the table back
// into rows. What the toolkit's tables have no room for is kept in the table's and cells'
// formats (TextModel.h: kTableRows, kCell*).

#include <QByteArray>
#include <QList>
#include <QTextTable>
#include <QVariant>

#include "rtf/Borders.h"

namespace rtf {

// Properties of one row.
struct RowProps {
  enum Side { kTop, kLeft, kBottom, kRight, kHorizontal, kVertical, kSides };
  int gapTw = 0;     // \trgaph: half the space between the text of two cells
  int leftTw = 0;    // \trleft: where the row starts
  int heightTw = 0;  // \trrh: at least (> 0) or exactly (< 0) this tall, 0 as tall as it needs
  int align = 0;     // \trql 0, \trqc 1, \trqr 2
  bool header = false;  // \trhdr
  bool keep = false;    // \trkeep
  BorderSide border[kSides];
  // The row's other words (widths, paddings, autofit, ...), written back as read; none of them
  // refers to a table of the document.
  QByteArray extra;
  bool operator==(const RowProps& o) const;
  QVariant Save() const;
  static RowProps Load(const QVariant& v);
};

// One cell of a row definition.
struct CellDef {
  int rightTw = 0;  // \cellx
  bool mergeFirst = false, merged = false;    // \clmgf, \clmrg
  bool vmergeFirst = false, vmerged = false;  // \clvmgf, \clvmrg
  int valign = 0;                             // \clvertalt 0, \clvertalc 1, \clvertalb 2
  int widthTw = 0;                            // \clwWidth with \clftsWidth3
  CellBorders borders;
  Shading shading;
  QByteArray extra;  // other cell words, written back as read
};

struct RowDef {
  RowProps props;
  QList<CellDef> cells;
};

// The right edges of a table's columns as kept, or derived from its column widths when the
// table was made by other means (a pasted HTML table): `pageTw` wide, split as the widths say.
QList<int> TableEdges(const QTextTable* table, int pageTw = 8640);

// The cell at (row, column) starts in that row and column (and is not the continuation of a
// cell merged across rows or columns).
bool CellStartsAt(const QTextTable* table, int row, int column);

}  // namespace rtf
