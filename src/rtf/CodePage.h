#pragma once
// Code pages for RTF: iconv behind a small cache, with a byte table for single-byte pages.

#include <QByteArray>
#include <QString>
#include <array>
#include <memory>
#include <unordered_map>

namespace rtf {

// Symbol fonts have no code page; their bytes map into the private use area.
constexpr int kSymbolCodePage = 42;

// The code page a font character set stands for (0 when the set names none, e.g. 1 DEFAULT).
int CodePageOfCharset(int charset);

// True for code pages where a lead byte takes the next byte with it.
bool IsDoubleByteCodePage(int codePage);
bool IsLeadByte(int codePage, unsigned char byte);

class CodePageDecoder {
 public:
  CodePageDecoder();
  ~CodePageDecoder();
  CodePageDecoder(const CodePageDecoder&) = delete;
  CodePageDecoder& operator=(const CodePageDecoder&) = delete;

  // Appends the decoded bytes to out. Bytes the code page cannot decode come through as
  // Latin-1, one character each, so nothing is dropped.
  void Decode(const char* data, qsizetype size, int codePage, QString& out);

  // For single-byte code pages: the character of every byte (null when unknown to iconv).
  const std::array<char16_t, 256>* Table(int codePage);

 private:
  struct Converter;
  Converter* Get(int codePage);
  std::unordered_map<int, std::unique_ptr<Converter>> converters_;
};

// Reverse table of a single-byte code page: character -> byte, for the writer.
class CodePageEncoder {
 public:
  explicit CodePageEncoder(int codePage);
  // The byte for c, or -1 when the code page has none.
  int Byte(char16_t c) const {
    auto it = map_.find(c);
    return it == map_.end() ? -1 : it->second;
  }

 private:
  std::unordered_map<char16_t, int> map_;
};

// Decodes 8-bit text in a Windows/ISO code page known to iconv (1251 when 0 is given). Unknown
// code pages and undecodable bytes fall back to Latin-1 byte by byte, so nothing is lost.
QString DecodeCodePage(const QByteArray& bytes, int codePage = 1251);

// Encodes text in a single-byte code page (1251 when 0 is given) or UTF-8 (65001); characters
// the code page lacks become '?'.
QByteArray EncodeCodePage(const QString& text, int codePage = 1251);

}  // namespace rtf
