#pragma once
// Code pages for RTF: iconv behind a small cache, with a byte table for single-byte pages.

#include <QByteArray>
#include <QString>
#include <array>
#include <memory>
#include <unordered_map>

namespace engine {

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

}  // namespace engine
