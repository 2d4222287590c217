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
// The name realPath would give path once it is created: its longest existing part resolved, the rest
// as written.
std::string plannedPath(const std::string& path);
// Creates folder and its parents; false with reason.
bool makeFolders(const std::string& folder, std::string& reason);
// True when path is folder or inside it (both absolute and resolved).
bool isInside(const std::string& path, const std::string& folder);

// An entry of a folder as it is: a symbolic link is a link, never what it points to.
enum class EntryKind { file, folder, link, other };
struct FolderEntry {
  std::string name;
  EntryKind kind;
};
// The entries of folder (no . and ..), sorted by byte value, no link followed.
std::vector<FolderEntry> entriesOf(const std::string& folder);
bool isLink(const std::string& path);
// What the grader says of a link it will not follow, after its name.
extern const char notFollowed[];

// Reads folder/name whole, each of the two opened without following a symbolic link: a student's file
// is the student's, not what it points to.  False with reason (notFollowed for a link).
bool readWithoutLinks(const std::string& folder, const std::string& name, std::string& text, std::string& reason);
// Copies folder/name, read so, to into/name.
bool copyWithoutLinks(const std::string& folder, const std::string& name, const std::string& into,
                      std::string& reason);

// writeWholeFile (temporary file and rename), serialised: the output bookkeeping is not thread safe.
bool writeWholeFileLocked(const std::string& name, const std::string& text, std::string& reason);

#endif
