// Files a user names.
//
// Reading: a file is read whole with a cap, and only when it is a regular file or a FIFO, so that a
// directory is an error with its name instead of an empty input, and /dev/zero cannot grow a string
// until the process dies.  Identity: two names are the same file when they reach the same device and
// inode (hard links, symbolic links and "./x" against "x" included); a name not yet taken is known by
// its folder's identity and its last component.  Writing: an output that is, or will be, a regular file
// goes to a temporary file in the same folder, renamed over the old one only once every byte is
// written, so a full disk, a failed run or a refused option never leaves a truncated file behind; an
// exit before that removes the temporary file.  When no temporary file can be made (a folder we may
// not write to) the output is refused rather than written in place.
#include "FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

std::string sizeText(size_t bytes) {
  if (bytes % (size_t(1) << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
  return std::to_string(bytes) + " bytes";
}

bool readAll(int fd, size_t limit, std::string& text, std::string& reason) {
  char buffer[65536];
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      reason = strerror(errno);
      return false;
    }
    if (n == 0) return true;
    if (size_t(n) > limit - text.size()) {
      reason = "larger than " + sizeText(limit);
      return false;
    }
    text.append(buffer, size_t(n));
  }
}

struct Identity {
  bool exists = false;
  bool device = false;  // a character device: /dev/null, a terminal
  dev_t dev = 0;
  ino_t ino = 0;
  std::string leaf;  // a name not yet taken: its last component (its folder's dev and ino above)
};

void splitName(const std::string& name, std::string& folder, std::string& leaf) {
  size_t slash = name.find_last_of('/');
  folder = slash == std::string::npos ? "." : slash == 0 ? "/" : name.substr(0, slash);
  leaf = slash == std::string::npos ? name : name.substr(slash + 1);
}

Identity identify(const std::string& name) {
  Identity id;
  struct stat st;
  if (stat(name.c_str(), &st) == 0) {
    id.exists = true;
    id.device = S_ISCHR(st.st_mode);
    id.dev = st.st_dev;
    id.ino = st.st_ino;
    return id;
  }
  std::string folder;
  splitName(name, folder, id.leaf);
  if (stat(folder.c_str(), &st) == 0) {
    id.dev = st.st_dev;
    id.ino = st.st_ino;
  } else {
    id.leaf = name;  // nothing to resolve: the text itself
  }
  return id;
}

bool sameIdentity(const Identity& a, const Identity& b) {
  return a.exists == b.exists && a.dev == b.dev && a.ino == b.ino && a.leaf == b.leaf;
}

struct NotedFile {
  std::string name, role;
  bool output;
};

std::vector<NotedFile> notedFiles;
std::vector<std::string> pendingTemporaries;  // removed at exit unless closed first

void removePendingTemporaries() {
  for (const std::string& t : pendingTemporaries) unlink(t.c_str());
  pendingTemporaries.clear();
}

void forgetTemporary(const std::string& t) {
  pendingTemporaries.erase(std::remove(pendingTemporaries.begin(), pendingTemporaries.end(), t),
                           pendingTemporaries.end());
}

mode_t modeOfNewFiles() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// The file a regular output replaces: a symbolic link's target, so that the link stays a link.
std::string replacedFile(const std::string& name, bool exists) {
  if (!exists) return name;
  char resolved[PATH_MAX];
  return realpath(name.c_str(), resolved) ? std::string(resolved) : name;
}

bool openInPlace(const std::string& name, OutputFile& out, std::string& reason) {
  out.file = fopen(name.c_str(), "w");
  if (!out.file) reason = strerror(errno);
  return out.file != nullptr;
}

std::string described(const NotedFile& f) { return f.role.empty() ? f.name : f.role + " " + f.name; }

// The first of the first `among` noted files that file may not share a name with; empty when none.
std::string conflictWith(const NotedFile& file, size_t among) {
  Identity id = identify(file.name);
  if (id.device) return "";
  for (size_t i = 0; i < among; i++) {
    const NotedFile& other = notedFiles[i];
    if ((!file.output && !other.output) || !sameIdentity(id, identify(other.name))) continue;
    if (file.output && other.output)
      return "the outputs " + described(other) + " and " + described(file) + " are the same file";
    const NotedFile& out = file.output ? file : other;
    const NotedFile& in = file.output ? other : file;
    return "the output " + described(out) + " is the input " + described(in) + ": it would be overwritten";
  }
  return "";
}

}  // namespace

bool readWholeFile(const std::string& name, std::string& text, std::string& reason, size_t limit) {
  text.clear();
  int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    reason = strerror(errno);
    return false;
  }
  bool ok = readWholeOpenFile(fd, text, reason, limit);
  close(fd);
  return ok;
}

bool readWholeOpenFile(int fd, std::string& text, std::string& reason, size_t limit) {
  text.clear();
  struct stat st;
  bool ok = false;
  if (fstat(fd, &st) != 0)
    reason = strerror(errno);
  else if (S_ISDIR(st.st_mode))
    reason = strerror(EISDIR);
  else if (!S_ISREG(st.st_mode) && !S_ISFIFO(st.st_mode))
    reason = "not a regular file";
  else if (S_ISREG(st.st_mode) && uint64_t(st.st_size) > limit)
    reason = "larger than " + sizeText(limit);
  else
    ok = readAll(fd, limit, text, reason);
  if (!ok) text.clear();
  return ok;
}

std::string shownText(const std::string& text) {
  std::string shown;
  for (char c : text) shown += c == '\0' ? std::string("\\0") : std::string(1, c);
  return shown;
}

bool sameFile(const std::string& a, const std::string& b) { return sameIdentity(identify(a), identify(b)); }

void noteInputFile(const std::string& name, const std::string& role) { notedFiles.push_back({name, role, false}); }

void noteOutputFile(const std::string& name, const std::string& role) { notedFiles.push_back({name, role, true}); }

std::string fileRoleConflict() {
  for (size_t j = 0; j < notedFiles.size(); j++) {
    std::string conflict = conflictWith(notedFiles[j], j);
    if (!conflict.empty()) return conflict;
  }
  return "";
}

std::string conflictWithNotedFiles(const std::string& output, const std::string& role) {
  return conflictWith({output, role, true}, notedFiles.size());
}

void resetFileRoles() { notedFiles.clear(); }

bool openOutput(const std::string& name, OutputFile& out, std::string& reason) {
  out = OutputFile();
  out.name = name;
  struct stat st;
  bool exists = stat(name.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) return openInPlace(name, out, reason);
  std::string target = replacedFile(name, exists), folder, leaf;
  splitName(target, folder, leaf);
  std::string pattern = folder + "/." + leaf + ".XXXXXX";
  std::vector<char> temporary(pattern.begin(), pattern.end());
  temporary.push_back('\0');
  int fd = mkstemp(temporary.data());
  if (fd < 0) {
    // Rewriting the old file in place instead would leave it cut short by a full disk or a failed run.
    reason = exists ? "no temporary file can be made beside it (" + std::string(strerror(errno)) +
                          "), so it is left as it was"
                    : strerror(errno);
    return false;
  }
  static bool cleanupRegistered = false;
  if (!cleanupRegistered) cleanupRegistered = atexit(removePendingTemporaries) == 0;
  out.temporary = temporary.data();
  pendingTemporaries.push_back(out.temporary);
  out.name = target;
  if (fchmod(fd, exists ? st.st_mode & 07777 : modeOfNewFiles()) != 0 || !(out.file = fdopen(fd, "w"))) {
    reason = strerror(errno);
    close(fd);
    abandonOutput(out);
    return false;
  }
  return true;
}

bool flushedWithoutError(FILE* stream, std::string& reason) {
  errno = 0;
  if (fflush(stream) == 0 && !ferror(stream)) return true;
  reason = strerror(errno ? errno : EIO);
  return false;
}

bool closeOutput(OutputFile& out, std::string& reason) {
  if (!out.file) return true;
  bool ok = flushedWithoutError(out.file, reason);
  errno = 0;
  if (fclose(out.file) != 0 && ok) {
    ok = false;
    reason = strerror(errno ? errno : EIO);
  }
  out.file = nullptr;
  if (ok && !out.temporary.empty() && rename(out.temporary.c_str(), out.name.c_str()) != 0) {
    ok = false;
    reason = strerror(errno);
  }
  if (!ok) abandonOutput(out);
  forgetTemporary(out.temporary);
  out.temporary.clear();
  return ok;
}

void abandonOutput(OutputFile& out) {
  if (out.file) fclose(out.file);
  out.file = nullptr;
  if (out.temporary.empty()) return;
  unlink(out.temporary.c_str());
  forgetTemporary(out.temporary);
  out.temporary.clear();
}

bool writeWholeFile(const std::string& name, const std::string& text, std::string& reason) {
  OutputFile out;
  if (!openOutput(name, out, reason)) return false;
  if (!text.empty() && fwrite(text.data(), 1, text.size(), out.file) != text.size()) {
    reason = strerror(errno ? errno : EIO);
    abandonOutput(out);
    return false;
  }
  return closeOutput(out, reason);
}
