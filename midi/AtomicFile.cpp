#include "midi/AtomicFile.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "frontend/Conversions.h"

namespace {

// what: a file name, or "in " and a folder's.
std::string failed(const std::string& what) {
  return "cannot write " + Conversions::shown(what, Conversions::Shown::FileName) + ": " + std::strerror(errno);
}

// A new temporary file beside `path`, open for writing; -1 with errno set
// when none can be had. Its name is short, so that any name the folder
// takes for the file itself works.
int openTemporary(const std::string& path, std::string& temporary) {
  const std::string stem = AtomicFile::folderOf(path) + "/.pmckeys-" + std::to_string(getpid()) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = stem + std::to_string(attempt);
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool writeAll(int fd, const MidiBytes& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Gives the temporary file the final name; false with errno set.
bool publish(const std::string& temporary, const std::string& path) {
  if (link(temporary.c_str(), path.c_str()) == 0) {
    unlink(temporary.c_str());
    return true;
  }
  if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOTSUP && errno != EMLINK) return false;
  if (AtomicFile::exists(path)) {
    errno = EEXIST;
    return false;
  }
  return rename(temporary.c_str(), path.c_str()) == 0;
}

// The new name lasts only once the folder's entry is on disk. The file is
// whole already, so a file system that cannot sync a folder is no failure.
void syncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

bool AtomicFile::exists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

std::string AtomicFile::existsMessage(const std::string& path) {
  return Conversions::shown(path, Conversions::Shown::FileName) + " exists: choose another name or remove it";
}

std::string AtomicFile::folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string AtomicFile::refusal(const std::string& path) {
  struct stat info;
  if (path.empty()) return std::strerror(ENOENT);
  if (path.back() == '/' || (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))) return std::strerror(EISDIR);
  if (exists(path)) return "";
  const std::string folder = folderOf(path);
  const std::size_t slash = path.rfind('/');
  const std::size_t nameLength = slash == std::string::npos ? path.size() : path.size() - slash - 1;
  const long nameMax = pathconf(folder.c_str(), _PC_NAME_MAX);
  if ((nameMax > 0 && nameLength > static_cast<std::size_t>(nameMax)) || path.size() >= PATH_MAX) {
    return std::strerror(ENAMETOOLONG);
  }
  std::string temporary;
  const int fd = openTemporary(path, temporary);
  if (fd < 0) return std::strerror(errno);
  close(fd);
  unlink(temporary.c_str());
  return "";
}

Result<> AtomicFile::create(const std::string& path, const MidiBytes& bytes,
                            const std::function<bool()>& stillWanted) {
  std::string temporary;
  const int fd = openTemporary(path, temporary);
  if (fd < 0) return Failed(failed("in " + folderOf(path)));
  std::string error;
  bool done = writeAll(fd, bytes) && fsync(fd) == 0;
  if (!done) error = failed(path);
  if (close(fd) != 0 && done) {
    error = failed(path);
    done = false;
  }
  if (done && stillWanted && !stillWanted()) {
    done = false;
  } else if (done && !publish(temporary, path)) {
    error = errno == EEXIST ? existsMessage(path) : failed(path);
    done = false;
  }
  if (!done) {
    unlink(temporary.c_str());
    return Failed(error);
  }
  syncFolder(folderOf(path));
  return Done();
}
