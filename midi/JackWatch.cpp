#include "midi/JackWatch.h"

#ifdef PMCKEYS_HAVE_JACK

#include <jack/jack.h>
#include <unistd.h>

namespace {

// A server busy with other clients coming and going may turn one away for a
// moment: ask a few times before taking it for gone.
jack_client_t* openClient(const std::string& name) {
  const int attempts = 5;
  for (int attempt = 1; attempt <= attempts; ++attempt) {
    jack_status_t status;
    jack_client_t* client = jack_client_open(name.c_str(), JackNoStartServer, &status);
    if (client != nullptr || attempt == attempts) return client;
    usleep(100000);
  }
  return nullptr;
}

}  // namespace

bool JackWatch::serverRunning() {
  if (fClient == nullptr) {
    jack_client_t* client = openClient(fName);
    if (client == nullptr) return false;
    fClient = client;
    // Called on JACK's own thread; a client need not be active to be told.
    jack_on_info_shutdown(
        client, [](jack_status_t, const char*, void* self) { static_cast<JackWatch*>(self)->fGone = true; }, this);
  }
  return !fGone;
}

JackWatch::~JackWatch() {
  if (fClient != nullptr) jack_client_close(static_cast<jack_client_t*>(fClient));
}

#else

// Built without JACK: RtMidiSystem makes no watch, but owns the pointer.
bool JackWatch::serverRunning() { return true; }
JackWatch::~JackWatch() = default;

#endif
