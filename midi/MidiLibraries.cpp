#include "midi/MidiLibraries.h"

#include <RtMidi.h>

#include <unistd.h>

#include <iostream>

#ifdef PMCKEYS_HAVE_JACK
#include <jack/jack.h>
#endif

namespace {

#ifdef PMCKEYS_HAVE_JACK
void jackSilent(const char*) {}

// A server busy with other clients coming and going may turn one away for a
// moment: ask a few times before telling the user there is none.
bool jackServerRunning(const std::string& clientName) {
  const int attempts = 5;
  for (int attempt = 1; attempt <= attempts; ++attempt) {
    jack_status_t status;
    jack_client_t* client = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
    if (client != nullptr) {
      jack_client_close(client);
      return true;
    }
    if (attempt < attempts) usleep(100000);
  }
  return false;
}
#endif

}  // namespace

void MidiLibraries::silence() {
  silenceAlsa();
#ifdef PMCKEYS_HAVE_JACK
  jack_set_error_function(jackSilent);
  jack_set_info_function(jackSilent);
#endif
}

std::string MidiLibraries::unavailable(int api, const std::string& clientName) {
  if (api == RtMidi::LINUX_ALSA && !alsaSequencerAvailable()) {
    return "the ALSA sequencer is not available (is the snd-seq module loaded?)";
  }
#ifdef PMCKEYS_HAVE_JACK
  if (api == RtMidi::UNIX_JACK && !jackServerRunning(clientName)) return "no JACK server is running";
#else
  (void)clientName;
#endif
  return "";
}

MidiLibraries::QuietCerr::QuietCerr() : fSaved(std::cerr.rdbuf(&fSink)) {}

MidiLibraries::QuietCerr::~QuietCerr() { std::cerr.rdbuf(fSaved); }
