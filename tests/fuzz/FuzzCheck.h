// What the fuzz targets share: stopping with the name of a broken invariant, the lines of a source as
// the readers count them, the words of a line, the NUL-separated words of an input, and reading the
// "FILE:LINE:" that starts a message.
#ifndef TARVIK_FUZZ_CHECK_H
#define TARVIK_FUZZ_CHECK_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

// Aborts when an invariant does not hold; libFuzzer keeps the input, and the message says which one.
inline void require(bool holds, const char* invariant) {
  if (holds) return;
  fprintf(stderr, "broken invariant: %s\n", invariant);
  abort();
}

inline std::string textOf(const uint8_t* data, size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// The lines of a text: each '\n' ends one (a '\r' before it is dropped); text after the last '\n' is
// a line too.
inline std::vector<std::string> sourceLines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    if (!lines.back().empty() && lines.back().back() == '\r') lines.back().pop_back();
    start = end + 1;
  }
  return lines;
}

// The words of an input separated by NUL bytes (an empty input has none); at most maxWords words of
// at most maxLength bytes each, so that one input cannot ask for unbounded work.
inline std::vector<std::string> nulSeparatedWords(const uint8_t* data, size_t size, size_t maxWords,
                                                  size_t maxLength) {
  std::vector<std::string> words;
  for (size_t i = 0; i < size; i++) {
    if (i == 0 || data[i - 1] == '\0') {
      if (words.size() == maxWords) break;
      words.emplace_back();
    }
    if (data[i] != '\0' && words.back().size() < maxLength) words.back() += char(data[i]);
  }
  return words;
}

// The words of a line of a table or an expectations file, up to a '#' that starts a comment.
inline std::vector<std::string> wordsOf(const std::string& line) {
  std::istringstream in(line.substr(0, line.find('#')));
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// Reads the decimal number at s[at] and moves at past it; -1 when there is none (or it has more than
// nine digits).
inline long numberAt(const std::string& s, size_t& at) {
  size_t start = at;
  long n = 0;
  while (at < s.size() && at - start < 9 && s[at] >= '0' && s[at] <= '9') n = n * 10 + (s[at++] - '0');
  return at == start || (at < s.size() && s[at] >= '0' && s[at] <= '9') ? -1 : n;
}

// The line of a message "FILE:LINE:...", with at just past the second ':'; -1 when it does not start so.
inline long lineOfMessage(const std::string& message, const std::string& file, size_t& at) {
  if (message.compare(0, file.size() + 1, file + ":") != 0) return -1;
  at = file.size() + 1;
  long line = numberAt(message, at);
  if (line < 0 || at >= message.size() || message[at] != ':') return -1;
  at++;
  return line;
}

#endif
