// The one entry point of the MIDI module that pmckeys loads at run time
// (MidiModule). C linkage so that dlsym finds it by this name; no exception
// leaves it. The two sides are built together, so the Result it fills in
// is the same type on both.
#include <string>

#include "midi/RtMidiSystem.h"

extern "C" __attribute__((visibility("default"))) void pmckeys_midi_open(const char* clientName,
                                                                         Result<std::unique_ptr<MidiSystem>>* system) {
  try {
    *system = RtMidiSystem::open(clientName);
  } catch (const std::exception& e) {
    *system = Failed(std::string("no MIDI system: ") + e.what());
  }
}
