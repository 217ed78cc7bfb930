#include "book/PdfUpdate.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>

namespace book {

namespace {

// A text string as PDF wants it for any script: UTF-16BE with its byte-order mark, in hex.
QByteArray TextString(const QString& s) {
  QByteArray out = "<FEFF";
  for (QChar c : s) out += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
  return out + '>';
}

class PdfFile {
 public:
  explicit PdfFile(QFile& f) : f_(f) {}

  bool ReadTail(QString* error) {
    const qint64 size = f_.size();
    f_.seek(std::max<qint64>(0, size - 4096));
    const QByteArray tail = f_.read(4096);
    const int sx = tail.lastIndexOf("startxref");
    if (sx < 0) return Fail(error, "no cross-reference table");
    startxref_ = QByteArray(tail.mid(sx + 9)).trimmed().split('\n').value(0).trimmed().toLongLong();
    const int tr = tail.lastIndexOf("trailer");
    if (tr < 0) return Fail(error, "no trailer (a cross-reference stream is not supported)");
    const QByteArray trailer = tail.mid(tr, sx - tr);
    root_ = Ref(trailer, "/Root");
    size_ = Int(trailer, "/Size");
    if (root_ <= 0 || size_ <= 0 || startxref_ <= 0) return Fail(error, "an incomplete trailer");
    return ReadXref(error);
  }

  // The text of object `num` between "obj" and "endobj".
  QByteArray Object(int num) {
    auto it = offsets_.find(num);
    if (it == offsets_.end()) return {};
    f_.seek(it->second);
    QByteArray text;
    while (!f_.atEnd() && !text.contains("endobj")) text += f_.read(65536);
    const int start = text.indexOf("obj");
    const int end = text.indexOf("endobj");
    if (start < 0 || end < start) return {};
    return text.mid(start + 3, end - start - 3).trimmed();
  }

  static int Ref(const QByteArray& dict, const char* key) {
    const QRegularExpression re(QRegularExpression::escape(QString::fromLatin1(key)) + QStringLiteral(R"(\s+(\d+)\s+\d+\s+R)"));
    const auto m = re.match(QString::fromLatin1(dict));
    return m.hasMatch() ? m.captured(1).toInt() : 0;
  }
  static int Int(const QByteArray& dict, const char* key) {
    const QRegularExpression re(QRegularExpression::escape(QString::fromLatin1(key)) + QStringLiteral(R"(\s+(\d+))"));
    const auto m = re.match(QString::fromLatin1(dict));
    return m.hasMatch() ? m.captured(1).toInt() : 0;
  }

  int root_ = 0, size_ = 0;
  qint64 startxref_ = 0;

 private:
  bool ReadXref(QString* error) {
    f_.seek(startxref_);
    if (f_.readLine().trimmed() != "xref") return Fail(error, "no cross-reference table");
    for (;;) {
      const QByteArray head = f_.readLine().trimmed();
      if (head.startsWith("trailer") || head.isEmpty()) break;
      const QList<QByteArray> parts = head.split(' ');
      if (parts.size() != 2) return Fail(error, "a damaged cross-reference table");
      const int first = parts[0].toInt(), count = parts[1].toInt();
      for (int i = 0; i < count; ++i) {
        const QByteArray entry = f_.read(20);
        if (entry.size() != 20) return Fail(error, "a damaged cross-reference table");
        if (entry[17] == 'n') offsets_[first + i] = entry.left(10).toLongLong();
      }
    }
    return true;
  }
  static bool Fail(QString* error, const char* what) {
    if (error) *error = QStringLiteral("The PDF could not be completed: %1.").arg(QString::fromLatin1(what));
    return false;
  }

  QFile& f_;
  std::map<int, qint64> offsets_;
};

}  // namespace

bool AppendPdfUpdate(const QString& path, const std::vector<int>& order, const std::vector<OutlineEntry>& outline,
                     const QString& title, const QString& author, QString* error) {
  QFile f(path);
  if (!f.open(QIODevice::ReadWrite)) {
    if (error) *error = QStringLiteral("\"%1\" could not be opened: %2").arg(path, f.errorString());
    return false;
  }
  PdfFile pdf(f);
  if (!pdf.ReadTail(error)) return false;
  const QByteArray catalog = pdf.Object(pdf.root_);
  const int pagesNum = PdfFile::Ref(catalog, "/Pages");
  const QByteArray pages = pdf.Object(pagesNum);
  const int kidsAt = pages.indexOf("/Kids");
  const int open = pages.indexOf('[', kidsAt), close = pages.indexOf(']', open);
  if (catalog.isEmpty() || pages.isEmpty() || kidsAt < 0 || open < 0 || close < 0) {
    if (error) *error = QStringLiteral("The PDF could not be completed: its page tree was not found.");
    return false;
  }
  // The pages as written ("12 0 R" each).
  std::vector<QByteArray> kids;
  static const QRegularExpression refRe(QStringLiteral(R"((\d+)\s+(\d+)\s+R)"));
  for (auto it = refRe.globalMatch(QString::fromLatin1(pages.mid(open + 1, close - open - 1))); it.hasNext();) {
    const auto m = it.next();
    kids.push_back(m.captured(1).toLatin1() + ' ' + m.captured(2).toLatin1() + " R");
  }
  std::vector<QByteArray> ordered = kids;
  if (!order.empty()) {
    if (order.size() != kids.size()) {
      if (error) *error = QStringLiteral("The PDF could not be completed: it has %1 pages, not %2.").arg(kids.size()).arg(order.size());
      return false;
    }
    for (size_t i = 0; i < order.size(); ++i) ordered[i] = kids[size_t(order[i])];
  }

  f.seek(f.size());
  QByteArray out = "\n";
  qint64 base = f.size();
  std::map<int, qint64> written;
  int next = pdf.size_;
  const auto add = [&](int num, const QByteArray& body) {
    written[num] = base + out.size();
    out += QByteArray::number(num) + " 0 obj\n" + body + "\nendobj\n";
  };

  // The page tree with the pages in their new order.
  QByteArray kidsText;
  for (const QByteArray& k : ordered) kidsText += k + ' ';
  add(pagesNum, pages.left(open + 1) + kidsText.trimmed() + pages.mid(close));

  // The outline: one entry per letter, each opening its first page.
  const int outlineRoot = outline.empty() ? 0 : next++;
  if (outlineRoot) {
    const int first = next;
    const int last = next + int(outline.size()) - 1;
    next += int(outline.size());
    add(outlineRoot, "<< /Type /Outlines /First " + QByteArray::number(first) + " 0 R /Last " +
                         QByteArray::number(last) + " 0 R /Count " + QByteArray::number(int(outline.size())) + " >>");
    for (size_t i = 0; i < outline.size(); ++i) {
      const int num = first + int(i);
      const int page = std::clamp(outline[i].page, 0, int(ordered.size()) - 1);
      QByteArray item = "<< /Title " + TextString(outline[i].title) + " /Parent " + QByteArray::number(outlineRoot) +
                        " 0 R /Dest [" + ordered[size_t(page)] + " /XYZ null null null]";
      if (i > 0) item += " /Prev " + QByteArray::number(num - 1) + " 0 R";
      if (i + 1 < outline.size()) item += " /Next " + QByteArray::number(num + 1) + " 0 R";
      add(num, item + " >>");
    }
  }

  // The catalogue, now with the outline shown when the file opens.
  QByteArray cat = catalog;
  const int end = cat.lastIndexOf(">>");
  if (end < 0) {
    if (error) *error = QStringLiteral("The PDF could not be completed: its catalogue was not found.");
    return false;
  }
  QByteArray extra;
  if (outlineRoot) extra = " /Outlines " + QByteArray::number(outlineRoot) + " 0 R /PageMode /UseOutlines ";
  add(pdf.root_, cat.left(end) + extra + cat.mid(end));

  const int info = next++;
  const QDateTime now = QDateTime::currentDateTimeUtc();
  add(info, "<< /Title " + TextString(title) + " /Author " + TextString(author) + " /Creator " +
                TextString(QStringLiteral("Termora")) + " /CreationDate (D:" +
                now.toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() + "Z) >>");

  // The cross-reference section of what this update wrote, then the trailer.
  const qint64 xrefAt = base + out.size();
  out += "xref\n0 1\n0000000000 65535 f \n";
  for (const auto& [num, at] : written) {
    out += QByteArray::number(num) + " 1\n";
    out += QByteArray::number(at).rightJustified(10, '0') + " 00000 n \n";
  }
  out += "trailer\n<< /Size " + QByteArray::number(next) + " /Root " + QByteArray::number(pdf.root_) + " 0 R /Info " +
         QByteArray::number(info) + " 0 R /Prev " + QByteArray::number(pdf.startxref_) + " >>\nstartxref\n" +
         QByteArray::number(xrefAt) + "\n%%EOF\n";
  if (f.write(out) != out.size() || !f.flush()) {
    if (error) *error = QStringLiteral("\"%1\" could not be written: %2").arg(path, f.errorString());
    return false;
  }
  return true;
}

}  // namespace book
