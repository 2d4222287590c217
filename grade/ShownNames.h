// Names and texts as the reports show them.  A student's name is a folder's name, any bytes but '/':
// shown, it escapes what would break a report or mislead its reader, reversibly, so that the folder it
// came from can be found again.  junit.xml's texts leave out what XML 1.0 forbids.
#ifndef TARVIK_GRADE_SHOWN_NAMES_H
#define TARVIK_GRADE_SHOWN_NAMES_H

#include <string>

// The name with each byte that is not part of UTF-8, and each byte of a control character (U+0000 to
// U+001F, U+007F to U+009F), as \xHH (lower-case hex), and a backslash as \\; any other name unchanged.
std::string shownName(const std::string& name);
// The text with each byte that is not part of UTF-8, and each byte of a character XML 1.0 forbids (a
// control character other than tab, line feed and carriage return; U+FFFE, U+FFFF), as \xHH.
std::string xmlReadable(const std::string& text);

#endif
