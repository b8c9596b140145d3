// The ALSA sequencer, on Linux.
#include <alsa/asoundlib.h>

#include "midi/MidiLibraries.h"

namespace {

void alsaSilent(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

void MidiLibraries::silenceAlsa() { snd_lib_error_set_handler(alsaSilent); }

bool MidiLibraries::alsaSequencerAvailable() {
  snd_seq_t* sequencer = nullptr;
  if (snd_seq_open(&sequencer, "default", SND_SEQ_OPEN_DUPLEX, 0) < 0) return false;
  snd_seq_close(sequencer);
  return true;
}
