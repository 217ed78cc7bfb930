#include "rtf/ObjectGroup.h"

#include <atomic>
#include <cstring>

#include "rtf/CodePage.h"
#include "rtf/RtfTokenizer.h"

namespace rtf {

namespace {

QByteArray HexLines(const QByteArray& data) {
  const QByteArray hex = data.toHex();
  QByteArray out;
  out.reserve(hex.size() + hex.size() / 64 + 4);
  for (qsizetype i = 0; i < hex.size(); i += 128) {
    out.append("\r\n");
    out.append(hex.constData() + i, std::min<qsizetype>(128, hex.size() - i));
  }
  return out;
}

QByteArray EscapedText(const QString& s) {
  QByteArray out;
  for (const QChar c : s) {
    const ushort u = c.unicode();
    if (u == '\\' || u == '{' || u == '}') {
      out += '\\';
      out += char(u);
    } else if (u >= 0x20 && u < 0x80) {
      out += char(u);
    } else {
      out += "\\u" + QByteArray::number(qint16(u)) + "?";
    }
  }
  return out;
}

// A scanner over one group: control words with their parameters, group braces, and the text
// between them; just enough to pick the object's parts out of bytes of any quality.
struct Scanner {
  const char* p;
  const char* end;

  bool AtEnd() const { return p >= end; }
  // Reads a control word at p (p at the backslash); returns false for a control symbol.
  bool Word(QByteArray& word, bool& hasParam, int& param) {
    const char* q = p + 1;
    if (q >= end || !((*q >= 'a' && *q <= 'z') || (*q >= 'A' && *q <= 'Z'))) return false;
    const char* w = q;
    while (q < end && ((*q >= 'a' && *q <= 'z') || (*q >= 'A' && *q <= 'Z')) && q - w < 32) ++q;
    word = QByteArray(w, q - w);
    hasParam = false;
    param = 0;
    bool neg = false;
    if (q < end && *q == '-') {
      neg = true;
      ++q;
    }
    long long v = 0;
    int digits = 0;
    while (q < end && *q >= '0' && *q <= '9' && digits < 10) {
      v = v * 10 + (*q - '0');
      ++q;
      ++digits;
      hasParam = true;
    }
    param = int(std::clamp<long long>(neg ? -v : v, -2147483647LL, 2147483647LL));
    if (q < end && *q == ' ') ++q;
    p = q;
    return true;
  }
};

}  // namespace

QByteArray ObjectGroupRtf(const ObjectGroup& g) {
  QByteArray rtf = "{\\object";
  rtf += g.link ? "\\objlink" : "\\objemb";
  rtf += "{\\*\\objclass " + EscapedText(g.objectClass) + "}";
  if (g.widthTw > 0 && g.heightTw > 0)
    rtf += "\\objw" + QByteArray::number(g.widthTw) + "\\objh" + QByteArray::number(g.heightTw);
  rtf += "{\\*\\objdata" + HexLines(g.data) + "\r\n}";
  if (!g.resultPng.isEmpty()) {
    rtf += "{\\result{\\pict\\pngblip\\picw" + QByteArray::number(g.resultWidthPx) + "\\pich" +
           QByteArray::number(g.resultHeightPx);
    if (g.widthTw > 0 && g.heightTw > 0)
      rtf += "\\picwgoal" + QByteArray::number(g.widthTw) + "\\pichgoal" + QByteArray::number(g.heightTw);
    rtf += HexLines(g.resultPng) + "\r\n}}";
  }
  rtf += "}";
  return rtf;
}

bool ReadObjectGroup(const QByteArray& group, ObjectGroup& out, qsizetype maxData) {
  out = ObjectGroup{};
  Scanner s{group.constData(), group.constData() + group.size()};
  while (!s.AtEnd() && (*s.p == ' ' || *s.p == '\r' || *s.p == '\n')) ++s.p;
  if (s.AtEnd() || *s.p != '{') return false;
  ++s.p;
  QByteArray word;
  bool hasParam = false;
  int param = 0;
  if (s.AtEnd() || *s.p != '\\' || !s.Word(word, hasParam, param) || word != "object") return false;

  enum class In { Object, Class, Data, Other };
  int depth = 1;
  // The destination of each open group, by depth.
  std::vector<In> dest{In::Object, In::Object};
  QByteArray classBytes;
  bool hexHigh = false;
  int nibble = 0;
  while (!s.AtEnd() && depth > 0) {
    const char c = *s.p;
    if (c == '{') {
      ++s.p;
      ++depth;
      // Groups inside the object's parts are not looked into.
      const In outer = dest.back();
      dest.push_back(outer == In::Object ? In::Object : In::Other);
      continue;
    }
    if (c == '}') {
      ++s.p;
      --depth;
      dest.pop_back();
      continue;
    }
    In& here = dest.back();
    if (c == '\\') {
      if (s.p + 1 < s.end && s.p[1] == '\'' && s.p + 3 < s.end) {
        if (here == In::Class) {
          const int hi = HexValue(s.p[2]), lo = HexValue(s.p[3]);
          if (hi >= 0 && lo >= 0) classBytes += char(hi * 16 + lo);
        }
        s.p += 4;
        continue;
      }
      if (!s.Word(word, hasParam, param)) {
        // A control symbol: an escaped character counts as text of the class name.
        if (s.p + 1 < s.end && here == In::Class && (s.p[1] == '\\' || s.p[1] == '{' || s.p[1] == '}'))
          classBytes += s.p[1];
        s.p += 2;
        continue;
      }
      if (word == "bin" && hasParam) {
        const qsizetype n = std::min<qsizetype>(std::max(param, 0), s.end - s.p);
        if (here == In::Data && !out.dataTooLarge) {
          if (out.data.size() + n > maxData) {
            out.dataTooLarge = true;
            out.data.clear();
          } else {
            out.data.append(s.p, n);
          }
        }
        s.p += n;
        continue;
      }
      if (here == In::Object) {
        if (word == "objlink" || word == "objautlink") out.link = true;
        else if (word == "objw" && hasParam) out.widthTw = param;
        else if (word == "objh" && hasParam) out.heightTw = param;
        else if (word == "objclass") here = In::Class;
        else if (word == "objdata") here = In::Data;
        else if (word == "result" || word == "objname" || word == "objtopic" || word == "objalias" ||
                 word == "objitem")
          here = In::Other;
      } else if (here == In::Class && word == "u" && hasParam) {
        classBytes += QString(QChar(char16_t(param))).toUtf8();
        if (s.p < s.end && *s.p != '\\' && *s.p != '{' && *s.p != '}') ++s.p;  // its fallback
      }
      continue;
    }
    if (here == In::Data) {
      // Hex digits, any white space between them.
      const char* q = s.p;
      if (out.dataTooLarge) {
        while (q < s.end && *q != '\\' && *q != '{' && *q != '}') ++q;
        s.p = q;
        continue;
      }
      while (q < s.end && *q != '\\' && *q != '{' && *q != '}') {
        const int h = HexValue(*q++);
        if (h < 0) continue;
        if (hexHigh) {
          if (out.data.size() >= maxData) {
            out.dataTooLarge = true;
            out.data.clear();
            break;
          }
          out.data.append(char(nibble * 16 + h));
          hexHigh = false;
        } else {
          nibble = h;
          hexHigh = true;
        }
      }
      s.p = q;
      continue;
    }
    if (here == In::Class && c != '\r' && c != '\n') classBytes += c;
    ++s.p;
  }
  QString cls = QString::fromUtf8(classBytes);
  if (cls.contains(QChar::ReplacementCharacter)) cls = DecodeCodePage(classBytes, 1252);
  out.objectClass = cls.trimmed();
  if (out.objectClass.endsWith(QLatin1Char(';'))) out.objectClass.chop(1);
  return true;
}

bool ObjectGroupIsLink(const QByteArray& group) {
  // The kind comes before the data; only the head is looked at.
  const qsizetype data = group.indexOf("\\objdata");
  const QByteArray head = group.left(data < 0 ? 4096 : data);
  auto has = [&head](const char* word) {
    for (qsizetype at = head.indexOf(word); at >= 0; at = head.indexOf(word, at + 1)) {
      const qsizetype after = at + qsizetype(std::strlen(word));
      if (after >= head.size() || !((head[after] >= 'a' && head[after] <= 'z'))) return true;
    }
    return false;
  };
  return has("\\objlink") || has("\\objautlink");
}

int NewObjectHandle() {
  static std::atomic<int> next{1};
  return next.fetch_add(1);
}

}  // namespace rtf
