#include "midi/JackWatch.h"

#ifdef PMCKEYS_HAVE_JACK

#include <jack/jack.h>

JackWatch::JackWatch(const std::string& clientName) {
  jack_status_t status;
  jack_client_t* client = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
  fClient = client;
  if (client == nullptr) {
    fGone = true;
    return;
  }
  // Called on JACK's own thread; a client need not be active to be told.
  jack_on_info_shutdown(
      client, [](jack_status_t, const char*, void* self) { static_cast<JackWatch*>(self)->fGone = true; }, this);
}

JackWatch::~JackWatch() {
  if (fClient != nullptr) jack_client_close(static_cast<jack_client_t*>(fClient));
}

#else

// Built without JACK: RtMidiSystem makes no watch, but owns the pointer.
JackWatch::JackWatch(const std::string&) {}
JackWatch::~JackWatch() = default;

#endif
