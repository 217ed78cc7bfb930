#include "rtf/CodePage.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace rtf {

int CodePageOfCharset(int charset) {
  switch (charset) {
    case 0: return 1252;
    case 2: return kSymbolCodePage;
    case 77: return 10000;
    case 78: return 10001;
    case 79: return 10003;
    case 80: return 10008;
    case 81: return 10002;
    case 83: return 10005;
    case 84: return 10004;
    case 85: return 10006;
    case 86: return 10081;
    case 87: return 10021;
    case 88: return 10029;
    case 89: return 10007;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return 0;
  }
}

bool IsDoubleByteCodePage(int cp) {
  return cp == 932 || cp == 936 || cp == 949 || cp == 950 || cp == 1361 || cp == 10001 ||
         cp == 10002 || cp == 10003 || cp == 10008;
}

bool IsLeadByte(int cp, unsigned char b) {
  switch (cp) {
    case 932:
    case 10001: return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 1361: return (b >= 0x84 && b <= 0xD3) || (b >= 0xD8 && b <= 0xF9);
    default: return IsDoubleByteCodePage(cp) && b >= 0x81 && b <= 0xFE;
  }
}

static const char* SpecialName(int cp) {
  switch (cp) {
    case 10000: return "MACINTOSH";
    case 10001: return "CP932";
    case 10002: return "BIG5";
    case 10003: return "EUC-KR";
    case 10004: return "MAC-ARABIC";
    case 10005: return "MAC-HEBREW";
    case 10006: return "MAC-GREEK";
    case 10007: return "MAC-CYRILLIC";
    case 10008: return "GB2312";
    case 10029: return "MAC-CENTRALEUROPE";
    case 10081: return "MAC-TURKISH";
    case 1361: return "JOHAB";
    case 20127: return "ASCII";
    case 28591: return "ISO-8859-1";
    case 65001: return "UTF-8";
    default: return nullptr;
  }
}

struct CodePageDecoder::Converter {
  iconv_t cd = reinterpret_cast<iconv_t>(-1);
  bool singleByte = false;
  std::array<char16_t, 256> table{};
  ~Converter() {
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }
};

CodePageDecoder::CodePageDecoder() = default;
CodePageDecoder::~CodePageDecoder() = default;

CodePageDecoder::Converter* CodePageDecoder::Get(int cp) {
  auto it = converters_.find(cp);
  if (it != converters_.end()) return it->second.get();
  auto c = std::make_unique<Converter>();
  if (cp > 0) {
    const char* special = SpecialName(cp);
    QByteArray name = special ? QByteArray(special) : "CP" + QByteArray::number(cp);
    c->cd = iconv_open("UTF-16LE", name.constData());
    if (c->cd == reinterpret_cast<iconv_t>(-1) && !special)
      c->cd = iconv_open("UTF-16LE", ("WINDOWS-" + QByteArray::number(cp)).constData());
  }
  if (c->cd != reinterpret_cast<iconv_t>(-1) && !IsDoubleByteCodePage(cp) && cp != 65001 &&
      cp != 10008 && cp != 10003) {
    c->singleByte = true;
    for (int b = 0; b < 256; ++b) {
      char in = char(b);
      char16_t outc = 0;
      char* ip = &in;
      size_t il = 1;
      char* op = reinterpret_cast<char*>(&outc);
      size_t ol = 2;
      iconv(c->cd, nullptr, nullptr, nullptr, nullptr);
      // Some converters (1255, 1258) hold a character back in case a combining mark follows;
      // the flush call hands it over.
      const bool ok = iconv(c->cd, &ip, &il, &op, &ol) != size_t(-1) &&
                      iconv(c->cd, nullptr, nullptr, &op, &ol) != size_t(-1);
      c->table[b] = ok && ol == 0 ? outc : 0;
    }
  }
  Converter* raw = c.get();
  converters_.emplace(cp, std::move(c));
  return raw;
}

const std::array<char16_t, 256>* CodePageDecoder::Table(int cp) {
  Converter* c = Get(cp);
  return c->singleByte ? &c->table : nullptr;
}

void CodePageDecoder::Decode(const char* data, qsizetype size, int cp, QString& out) {
  if (size <= 0) return;
  if (cp == kSymbolCodePage) {
    // Symbol fonts: byte b is the font's glyph b, kept in the private use area at U+F000 + b
    // as other editors keep it; plain ASCII controls stay themselves.
    for (qsizetype i = 0; i < size; ++i) {
      const unsigned char b = static_cast<unsigned char>(data[i]);
      out.append(QChar(char16_t(b < 0x20 ? b : 0xF000 + b)));
    }
    return;
  }
  Converter* c = Get(cp);
  if (c->singleByte) {
    const qsizetype base = out.size();
    out.resize(base + size);
    QChar* dst = out.data() + base;
    for (qsizetype i = 0; i < size; ++i) {
      const unsigned char b = static_cast<unsigned char>(data[i]);
      const char16_t ch = c->table[b];
      dst[i] = QChar(ch ? ch : char16_t(b));
    }
    return;
  }
  if (c->cd == reinterpret_cast<iconv_t>(-1)) {
    out.append(QString::fromLatin1(data, size));
    return;
  }
  iconv(c->cd, nullptr, nullptr, nullptr, nullptr);
  std::vector<char16_t> buf(size_t(size) * 2 + 8);
  char* ip = const_cast<char*>(data);
  size_t il = size_t(size);
  while (il > 0) {
    char* op = reinterpret_cast<char*>(buf.data());
    size_t ol = buf.size() * 2;
    const size_t r = iconv(c->cd, &ip, &il, &op, &ol);
    const qsizetype produced = qsizetype((buf.size() * 2 - ol) / 2);
    out.append(reinterpret_cast<const QChar*>(buf.data()), produced);
    if (r == size_t(-1)) {
      if (errno == E2BIG) continue;
      // An invalid or cut-off sequence: keep the byte as Latin-1 and go on after it.
      out.append(QChar(char16_t(static_cast<unsigned char>(*ip))));
      ++ip;
      --il;
      iconv(c->cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
}

CodePageEncoder::CodePageEncoder(int codePage) {
  CodePageDecoder d;
  const std::array<char16_t, 256>* t = d.Table(codePage);
  if (!t) return;
  for (int b = 255; b >= 0; --b)
    if ((*t)[b]) map_[(*t)[b]] = b;
}

QString DecodeCodePage(const QByteArray& bytes, int codePage) {
  CodePageDecoder d;
  QString out;
  d.Decode(bytes.constData(), bytes.size(), codePage > 0 ? codePage : 1251, out);
  return out;
}

QByteArray EncodeCodePage(const QString& text, int codePage) {
  if (codePage == 65001) return text.toUtf8();
  const CodePageEncoder local(codePage > 0 ? codePage : 1251);
  QByteArray out;
  out.reserve(text.size());
  for (QChar c : text) {
    const char16_t u = c.unicode();
    if (u < 0x80) {
      out.append(char(u));
      continue;
    }
    const int b = local.Byte(u);
    out.append(b >= 0 ? char(b) : '?');
  }
  return out;
}


}  // namespace rtf
