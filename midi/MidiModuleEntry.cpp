// The one entry point of the MIDI module that pmckeys loads at run time
// (MidiModule). C linkage so that dlsym finds it by this name; no exception
// leaves it.
#include <string>

#include "midi/RtMidiSystem.h"

extern "C" __attribute__((visibility("default"))) MidiSystem* pmckeys_midi_open(const char* clientName,
                                                                                std::string* error) {
  try {
    return RtMidiSystem::open(clientName, *error).release();
  } catch (const std::exception& e) {
    *error = std::string("no MIDI system: ") + e.what();
    return nullptr;
  }
}
