// The folders and texts the grader walks: listings in name order, plain string helpers, and files
// written whole from any of its threads.
#ifndef TARVIK_GRADE_FILES_H
#define TARVIK_GRADE_FILES_H

#include <string>
#include <vector>

#include "TextLines.h"

// Names in folder (no . and ..), sorted by byte value; files or folders only.
std::vector<std::string> filesIn(const std::string& folder);
std::vector<std::string> foldersIn(const std::string& folder);
bool isRegularFile(const std::string& path);
bool isFolder(const std::string& path);
// The absolute, symbolic-link-free name of an existing path, or "" when it does not exist.
std::string realPath(const std::string& path);
// Creates folder and its parents; false with reason.
bool makeFolders(const std::string& folder, std::string& reason);
// True when path is folder or inside it (both absolute and resolved).
bool isInside(const std::string& path, const std::string& folder);

// writeWholeFile (temporary file and rename), serialised: the output bookkeeping is not thread safe.
bool writeWholeFileLocked(const std::string& name, const std::string& text, std::string& reason);

#endif
