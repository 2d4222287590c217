// Texts read line by line (memory images, the grader's .load files and run outputs), and small text tests.
#ifndef TARVIK_TEXTLINES_H
#define TARVIK_TEXTLINES_H

#include <sstream>
#include <string>
#include <vector>

// The lines of a text without their line ends ("\n" or "\r\n"); no empty last line for a final "\n".
inline std::vector<std::string> textLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// A text without the blanks (space, tab, form feed, vertical tab) at its ends.
inline std::string trimmedText(const std::string& s) {
  size_t from = s.find_first_not_of(" \t\f\v"), to = s.find_last_not_of(" \t\f\v");
  return from == std::string::npos ? "" : s.substr(from, to - from + 1);
}

// Whether text ends with suffix (file names by their extension).
inline bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

#endif
