#include "arduinoSerialPort/SerialPortList.h"

#include <glob.h>
#include <limits.h>
#include <stdlib.h>

#include <algorithm>
#include <map>

namespace {

// The paths below root that match the pattern.
std::vector<std::string> expand(const std::string& root, const std::string& pattern) {
  std::string full = root;
  full.append("/").append(pattern);
  std::vector<std::string> paths;
  glob_t found;
  if (glob(full.c_str(), 0, nullptr, &found) == 0) {
    for (std::size_t i = 0; i < found.gl_pathc; ++i) paths.emplace_back(found.gl_pathv[i]);
  }
  globfree(&found);
  return paths;
}

std::string resolved(const std::string& path) {
  char real[PATH_MAX];
  return realpath(path.c_str(), real) != nullptr ? std::string(real) : path;
}

}  // namespace

std::vector<std::string> SerialPortList::find(const std::string& devRoot) {
  std::map<std::string, std::string> stableNameOf;  // resolved device -> stable name
  for (const std::string& pattern : stableNamePatterns()) {
    for (const std::string& link : expand(devRoot, pattern)) stableNameOf.emplace(resolved(link), link);
  }
  std::vector<std::string> entries;
  for (const std::string& pattern : devicePatterns()) {
    for (const std::string& device : expand(devRoot, pattern)) {
      const auto stable = stableNameOf.find(resolved(device));
      entries.push_back(stable == stableNameOf.end() ? device : stable->second + " (" + device + ")");
    }
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}
