#include "GradeFiles.h"

#include <dirent.h>
#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <mutex>

#include "FileIO.h"

namespace {

std::vector<std::string> entriesIn(const std::string& folder, bool folders) {
  std::vector<std::string> names;
  DIR* d = opendir(folder.c_str());
  if (!d) return names;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    if (folders ? isFolder(folder + "/" + name) : isRegularFile(folder + "/" + name)) names.push_back(name);
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

std::mutex writing;

}  // namespace

std::vector<std::string> filesIn(const std::string& folder) { return entriesIn(folder, false); }
std::vector<std::string> foldersIn(const std::string& folder) { return entriesIn(folder, true); }

bool isRegularFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string realPath(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

bool makeFolders(const std::string& folder, std::string& reason) {
  for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    std::string part = folder.substr(0, slash);
    if (!part.empty() && mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return reason = strerror(errno), false;
    if (slash == std::string::npos) break;
  }
  if (!isFolder(folder)) return reason = "not a folder", false;
  return true;
}

bool isInside(const std::string& path, const std::string& folder) {
  return path == folder || (path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/') ||
         folder == "/";
}

bool writeWholeFileLocked(const std::string& name, const std::string& text, std::string& reason) {
  std::lock_guard<std::mutex> lock(writing);
  return writeWholeFile(name, text, reason);
}
