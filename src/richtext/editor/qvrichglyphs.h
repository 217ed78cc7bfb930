#pragma once
// The editor window's pictures: the glyphs of its tool and format bar buttons and the icons of
// its main menu, drawn as small 16-colour pixel maps. A glyph's transparent colour is the colour
// of its bottom-left pixel.

#include <QIcon>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QStringList>

namespace richtext {

enum TqvGlyph {
  glNew, glPrint, glFind, glSpell, glCut, glCopy, glPaste, glUndo, glRedo, glLoad, glSaveAs,
  glBold, glItalic, glUnderline, glColor, glAlignLeft, glAlignCenter, glAlignRight, glJustify,
  glBullets, glHighlight, glSpell16, glFont, glParagraph, glGlyphCount
};

// The glyph as its pixel rows, one character per pixel from the 16-colour palette.
const QStringList& QvGlyphRows(TqvGlyph Glyph);
// The colour a palette character stands for; an invalid colour for an unknown character.
QColor QvPaletteColor(QChar C);
// The glyph as an image, its transparent colour made transparent.
QImage QvGlyphImage(TqvGlyph Glyph);
QPixmap QvGlyphPixmap(TqvGlyph Glyph);
// The greyed form a disabled button shows: the picture's shape embossed.
QPixmap QvDisabledGlyph(const QPixmap& Glyph);
// The 13 icons of the editor's main menu, in their image-list order.
QList<QIcon> QvMenuImages();

}  // namespace richtext
