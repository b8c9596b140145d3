#include "midi/MidiModule.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

using OpenFunction = void (*)(const char*, Result<std::unique_ptr<MidiSystem>>*);

const std::string kModule = PMCKEYS_MIDI_MODULE;
// The installed module's folder, from the installed program's.
const std::string kModuleFolder = PMCKEYS_MIDI_MODULE_DIR;

// The running program's real path: /proc/self/exe where there is one
// (dladdr gives only argv[0] there), else the image that holds this code.
std::string programPath() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n > 0) return std::string(path, static_cast<std::size_t>(n));
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&programPath), &info) == 0 || info.dli_fname == nullptr) return "";
  char* real = realpath(info.dli_fname, nullptr);
  std::string resolved = real != nullptr ? real : info.dli_fname;
  free(real);
  return resolved;
}

Result<void*> load() {
  const std::vector<std::string> paths = MidiModule::candidates();
  for (const std::string& path : paths) {
    if (access(path.c_str(), F_OK) != 0) continue;
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) return Failed(std::string("cannot load the MIDI module: ") + dlerror());
    return module;
  }
  return Failed("the MIDI module " + kModule + " is missing (looked for " + paths[0] + " and " + paths[1] +
                "): reinstall pmckeys");
}

}  // namespace

std::vector<std::string> MidiModule::candidates() {
  const std::string program = programPath();
  const std::string folder = program.substr(0, program.rfind('/') + 1);
  return {folder + kModule, folder + kModuleFolder + "/" + kModule};
}

Result<std::unique_ptr<MidiSystem>> MidiModule::open(const std::string& clientName) {
  static void* module = nullptr;
  if (module == nullptr) {
    const Result<void*> loaded = load();
    if (!loaded) return Failed(loaded.error());
    module = loaded.value();
  }
  auto openSystem = reinterpret_cast<OpenFunction>(dlsym(module, "pmckeys_midi_open"));
  if (openSystem == nullptr) return Failed("cannot load the MIDI module: it has no pmckeys_midi_open");
  Result<std::unique_ptr<MidiSystem>> system = Failed("");
  openSystem(clientName.c_str(), &system);
  return system;
}
