#pragma once
// Splits RTF bytes into groups, control words, control symbols, hex escapes, binary data and
// runs of text, and hands each to a sink. The sink keeps the state; the tokenizer asks it what
// the bytes mean where that depends on the state: inside a picture the text is hex data, in a
// skipped destination it is nothing, in a double-byte code page a lead byte takes the next byte
// with it, and after \uN the fallback characters are counted off here, token by token.
//
// A sink provides:
//   void PushGroup(qsizetype at);  bool PopGroup(qsizetype at);  (true: the root closed)
//   bool InGroup() const;          bool Overflowing() const;  (inside groups too deep to keep)
//   void DroppedNested();  (a byte inside groups too deep to keep was left out)
//   bool SkippingFallback() const; void SkipFallback();  void StopFallback();
//   void ControlWord(std::string_view word, bool hasParam, int param);
//   void BinaryData(const char* data, qsizetype n);
//   void HexEscape(unsigned char byte);  void Star();  void LiteralByte(char c);
//   void SymbolChar(char16_t c);  void ParagraphSymbol();
//   TextMode Mode() const;  int BeginText();  (a run of text starts: its code page)
//   void PictureHex(const char* data, qsizetype n);  void Text(const char* data, qsizetype n);

#include <QtGlobal>
#include <algorithm>
#include <climits>
#include <cstring>
#include <string_view>

#include "rtf/CodePage.h"

namespace rtf {

// What plain bytes are in the current destination.
enum class TextMode { Text, PictureHex, Skipped };

constexpr int kMaxWordLength = 32;

inline int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Where the document starts: after leading white space and a byte order mark.
inline qsizetype RtfStart(const char* data, qsizetype size) {
  qsizetype p = 0;
  while (p < size && (data[p] == ' ' || data[p] == '\t' || data[p] == '\r' || data[p] == '\n')) ++p;
  if (size - p >= 3 && uchar(data[p]) == 0xEF && uchar(data[p + 1]) == 0xBB && uchar(data[p + 2]) == 0xBF)
    p += 3;
  return p;
}

template <class Sink>
void TokenizeRtf(const char* const data, const qsizetype size, Sink& sink) {
  qsizetype p = RtfStart(data, size);
  while (p < size) {
    const char c = data[p];
    if (c == '{') {
      sink.PushGroup(p);
      ++p;
      continue;
    }
    if (c == '}') {
      const bool rootClosed = sink.PopGroup(p);
      ++p;
      if (rootClosed) break;
      continue;
    }
    // Text before any group: read as if inside the root.
    if (!sink.InGroup()) sink.PushGroup(p);
    if (sink.Overflowing()) {
      // Inside groups too deep to keep: only \bin matters, so that its data is not parsed.
      const bool bin = c == '\\' && p + 4 < size && std::memcmp(data + p + 1, "bin", 3) == 0 &&
                       (data[p + 4] == '-' || (data[p + 4] >= '0' && data[p + 4] <= '9'));
      if (!bin) {
        // Line ends and spaces between groups carry nothing; anything else was content.
        if (c != '\r' && c != '\n' && c != ' ') sink.DroppedNested();
        // An escaped brace is text, not a group.
        p += c == '\\' && p + 1 < size ? 2 : 1;
        continue;
      }
    }
    if (c == '\\') {
      if (p + 1 >= size) break;
      const char n = data[p + 1];
      if ((n >= 'a' && n <= 'z') || (n >= 'A' && n <= 'Z')) {
        qsizetype q = p + 1;
        while (q < size && ((data[q] >= 'a' && data[q] <= 'z') || (data[q] >= 'A' && data[q] <= 'Z'))) ++q;
        const std::string_view word(data + p + 1, size_t(std::min<qsizetype>(q - p - 1, kMaxWordLength)));
        bool hasParam = false;
        bool negative = false;
        long long param = 0;
        if (q < size && data[q] == '-' && q + 1 < size && data[q + 1] >= '0' && data[q + 1] <= '9') {
          negative = true;
          ++q;
        }
        int digits = 0;
        while (q < size && data[q] >= '0' && data[q] <= '9') {
          if (digits < 10) param = param * 10 + (data[q] - '0');
          ++digits;
          hasParam = true;
          ++q;
        }
        if (q < size && data[q] == ' ') ++q;
        if (negative) param = -param;
        param = std::clamp<long long>(param, INT_MIN, INT_MAX);
        p = q;
        if (word == "bin") {
          // Binary data: exactly N bytes, whatever they look like, never more than the file has.
          const qsizetype n = hasParam && param > 0 ? std::min<qsizetype>(param, size - p) : 0;
          sink.BinaryData(data + p, n);
          p += n;
          continue;
        }
        if (sink.Overflowing()) continue;
        if (sink.SkippingFallback()) {
          // A fallback is text; a following \u is the next character (the second half of a
          // surrogate pair, typically), not part of the fallback.
          if (word == "u") {
            sink.StopFallback();
          } else {
            sink.SkipFallback();
            continue;
          }
        }
        sink.ControlWord(word, hasParam, int(param));
        continue;
      }
      if (sink.Overflowing()) {
        p += 2;
        continue;
      }
      if (n == '\'') {
        // \'xx: one byte of text in the current code page.
        const int hi = p + 2 < size ? HexValue(data[p + 2]) : -1;
        const int lo = p + 3 < size ? HexValue(data[p + 3]) : -1;
        if (hi < 0 || lo < 0) {
          p += 2 + (hi >= 0 ? 1 : 0);
          continue;
        }
        p += 4;
        if (sink.SkippingFallback()) {
          sink.SkipFallback();
          continue;
        }
        sink.HexEscape(static_cast<unsigned char>(hi * 16 + lo));
        continue;
      }
      p += 2;
      if (sink.SkippingFallback() && n != '*') {
        sink.SkipFallback();
        continue;
      }
      switch (n) {
        case '*': sink.Star(); break;
        case '\\':
        case '{':
        case '}': sink.LiteralByte(n); break;
        case '~': sink.SymbolChar(0x00A0); break;
        case '-': sink.SymbolChar(0x00AD); break;
        case '_': sink.SymbolChar(0x2011); break;
        case '\r':
        case '\n': sink.ParagraphSymbol(); break;
        default: break;  // \: \| and other symbols: nothing to show
      }
      continue;
    }
    if (c == '\r' || c == '\n' || c == 0) {
      ++p;
      continue;
    }
    const TextMode mode = sink.Mode();
    if (mode == TextMode::PictureHex) {
      // Hex picture data, white space allowed anywhere.
      qsizetype q = p;
      while (q < size && data[q] != '\\' && data[q] != '{' && data[q] != '}') ++q;
      sink.PictureHex(data + p, q - p);
      p = q;
      continue;
    }
    if (mode == TextMode::Skipped) {
      ++p;
      while (p < size && data[p] != '\\' && data[p] != '{' && data[p] != '}') ++p;
      continue;
    }
    // Plain text bytes up to the next special byte. In a double-byte code page a lead byte
    // takes the next byte with it, even a brace or backslash.
    const int cp = sink.BeginText();
    const bool dbcs = IsDoubleByteCodePage(cp);
    qsizetype q = p;
    while (q < size) {
      const char d = data[q];
      if (d == '\\' || d == '{' || d == '}' || d == '\r' || d == '\n' || d == 0) break;
      if (dbcs && IsLeadByte(cp, static_cast<unsigned char>(d)) && q + 1 < size) q += 2;
      else ++q;
      if (sink.SkippingFallback()) break;
    }
    if (sink.SkippingFallback()) {
      // Fallback characters of a \uN: each byte (or double-byte character) counts once.
      sink.SkipFallback();
      p = q;
      continue;
    }
    sink.Text(data + p, q - p);
    p = q;
  }
}

}  // namespace rtf
