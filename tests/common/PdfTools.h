#pragma once
// Reads printed PDFs back with the command-line tools of poppler-utils (pdfinfo, pdftotext,
// pdftoppm), which the test set-up installs.

#include <QImage>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <vector>

namespace pdf {

inline bool ToolsAvailable() {
  return !QStandardPaths::findExecutable("pdftotext").isEmpty() &&
         !QStandardPaths::findExecutable("pdftoppm").isEmpty() && !QStandardPaths::findExecutable("pdfinfo").isEmpty();
}

inline QByteArray Run(const QString& Program, const QStringList& Args) {
  QProcess P;
  P.start(Program, Args);
  if (!P.waitForFinished(60000) || P.exitStatus() != QProcess::NormalExit || P.exitCode() != 0) return {};
  return P.readAllStandardOutput();
}

// A field of pdfinfo's report ("Pages", "Title", "Page size", ...), trimmed.
inline QString Info(const QString& Path, const QString& Key) {
  const QString Out = QString::fromUtf8(Run("pdfinfo", {Path}));
  for (const QString& Line : Out.split('\n'))
    if (Line.startsWith(Key + ':')) return Line.mid(Key.size() + 1).trimmed();
  return {};
}

inline int PageCount(const QString& Path) { return Info(Path, "Pages").toInt(); }

// The sheet's size in points, as pdfinfo reports it for the first page.
inline QSizeF PageSizePoints(const QString& Path) {
  const QRegularExpressionMatch M =
      QRegularExpression(R"(([\d.]+) x ([\d.]+) pts)").match(Info(Path, "Page size"));
  return M.hasMatch() ? QSizeF(M.captured(1).toDouble(), M.captured(2).toDouble()) : QSizeF();
}

// The text of each page, in reading order.
inline QStringList PageTexts(const QString& Path) {
  QStringList Pages = QString::fromUtf8(Run("pdftotext", {"-enc", "UTF-8", Path, "-"})).split('\f');
  if (!Pages.isEmpty() && Pages.back().trimmed().isEmpty()) Pages.removeLast();
  return Pages;
}

// The words of a page (1-based) with their boxes in points from the sheet's top-left corner,
// as pdftotext -bbox reports them, in reading order.
struct Word {
  QString Text;
  QRectF Box;
};
inline std::vector<Word> PageWords(const QString& Path, int Page) {
  const QString Out = QString::fromUtf8(
      Run("pdftotext", {"-bbox", "-enc", "UTF-8", "-f", QString::number(Page), "-l", QString::number(Page), Path, "-"}));
  static const QRegularExpression Tag(
      R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
  std::vector<Word> Words;
  for (auto It = Tag.globalMatch(Out); It.hasNext();) {
    const QRegularExpressionMatch M = It.next();
    Words.push_back({M.captured(5), QRectF(QPointF(M.captured(1).toDouble(), M.captured(2).toDouble()),
                                           QPointF(M.captured(3).toDouble(), M.captured(4).toDouble()))});
  }
  return Words;
}

// One page (1-based) rendered at the given resolution, in grey levels.
inline QImage PageImage(const QString& Path, int Page, int Dpi) {
  QTemporaryDir Dir;
  const QString Base = Dir.filePath("page");
  Run("pdftoppm", {"-r", QString::number(Dpi), "-f", QString::number(Page), "-l", QString::number(Page), "-gray",
                   "-png", "-singlefile", Path, Base});
  return QImage(Base + ".png").convertToFormat(QImage::Format_Grayscale8);
}

// The bounding box of the pixels darker than Threshold inside Area (the whole image when
// empty); an empty rectangle when there are none.
inline QRect InkBox(const QImage& Image, QRect Area = {}, int Threshold = 160) {
  if (Area.isEmpty()) Area = Image.rect();
  Area &= Image.rect();
  int L = INT_MAX, T = INT_MAX, R = -1, B = -1;
  for (int Y = Area.top(); Y <= Area.bottom(); ++Y) {
    const uchar* Row = Image.constScanLine(Y);
    for (int X = Area.left(); X <= Area.right(); ++X)
      if (Row[X] < Threshold) {
        L = std::min(L, X), R = std::max(R, X), T = std::min(T, Y), B = std::max(B, Y);
      }
  }
  return R < 0 ? QRect() : QRect(QPoint(L, T), QPoint(R, B));
}

}  // namespace pdf
