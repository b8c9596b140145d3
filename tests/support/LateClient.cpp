#include "tests/support/LateClient.h"

#include <jack/jack.h>
#include <unistd.h>

namespace {

// Longer than a cycle of the test servers (85 ms).
const useconds_t kOverrun = 200000;

int process(jack_nframes_t, void* self) {
  std::atomic<int>& late = *static_cast<std::atomic<int>*>(self);
  if (late == 0) return 0;
  if (late > 0) --late;
  usleep(kOverrun);
  return 0;
}

}  // namespace

LateClient::LateClient() {
  jack_client_t* client = jack_client_open("late", JackNoStartServer, nullptr);
  if (client == nullptr) return;
  jack_set_process_callback(client, process, &fLate);
  if (jack_activate(client) != 0) {
    jack_client_close(client);
    return;
  }
  fClient = client;
}

LateClient::~LateClient() {
  fLate = 0;
  if (fClient != nullptr) jack_client_close(static_cast<jack_client_t*>(fClient));
}
