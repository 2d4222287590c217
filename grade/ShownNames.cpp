#include "ShownNames.h"

#include <cstdio>

namespace {

// The length of the UTF-8 sequence that starts at text[at] and the code point it encodes; 0 when the
// bytes there are not one (a stray continuation, a short or overlong sequence, a surrogate, past U+10FFFF).
size_t utf8Sequence(const std::string& text, size_t at, char32_t& point) {
  unsigned char first = text[at];
  size_t length = first < 0x80 ? 1 : first >> 5 == 0x6 ? 2 : first >> 4 == 0xe ? 3 : first >> 3 == 0x1e ? 4 : 0;
  if (length == 0 || at + length > text.size()) return 0;
  point = length == 1 ? first : first & (0x7f >> length);
  for (size_t i = 1; i < length; ++i) {
    unsigned char next = text[at + i];
    if (next >> 6 != 0x2) return 0;
    point = point << 6 | (next & 0x3f);
  }
  const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (point < smallest[length] || point > 0x10ffff || (point >= 0xd800 && point <= 0xdfff)) return 0;
  return length;
}

std::string hexBytes(const std::string& bytes) {
  std::string text;
  char hex[5];
  for (unsigned char c : bytes) snprintf(hex, sizeof hex, "\\x%02x", c), text += hex;
  return text;
}

bool isControl(char32_t point) { return point < 0x20 || (point >= 0x7f && point < 0xa0); }

bool xmlForbids(char32_t point) {
  return (point < 0x20 && point != '\t' && point != '\n' && point != '\r') || point == 0xfffe || point == 0xffff;
}

// text with the characters escape picks, and the bytes that are no UTF-8, as \xHH.
template <typename Escape>
std::string escapedText(const std::string& text, Escape escape) {
  std::string shown;
  for (size_t at = 0; at < text.size();) {
    char32_t point = 0;
    size_t length = utf8Sequence(text, at, point);
    if (length == 0) shown += hexBytes(text.substr(at++, 1));
    else shown += escape(point) ? hexBytes(text.substr(at, length)) : text.substr(at, length);
    at += length;
  }
  return shown;
}

}  // namespace

std::string shownName(const std::string& name) {
  std::string doubled;
  for (char c : name) doubled += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return escapedText(doubled, isControl);
}

std::string xmlReadable(const std::string& text) { return escapedText(text, xmlForbids); }
