// Systems without ALSA (macOS): there is no sequencer to silence or find.
#include "midi/MidiLibraries.h"

void MidiLibraries::silenceAlsa() {}

bool MidiLibraries::alsaSequencerAvailable() { return false; }
