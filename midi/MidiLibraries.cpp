#include "midi/MidiLibraries.h"

#include <RtMidi.h>

#include <iostream>

#ifdef PMCKEYS_HAVE_JACK
#include <jack/jack.h>

namespace {

void jackSilent(const char*) {}

}  // namespace
#endif

void MidiLibraries::silence() {
  silenceAlsa();
#ifdef PMCKEYS_HAVE_JACK
  jack_set_error_function(jackSilent);
  jack_set_info_function(jackSilent);
#endif
}

std::string MidiLibraries::unavailable(int api) {
  if (api == RtMidi::LINUX_ALSA && !alsaSequencerAvailable()) {
    return "the ALSA sequencer is not available (is the snd-seq module loaded?)";
  }
  return "";
}

MidiLibraries::QuietCerr::QuietCerr() : fSaved(std::cerr.rdbuf(&fSink)) {}

MidiLibraries::QuietCerr::~QuietCerr() { std::cerr.rdbuf(fSaved); }
