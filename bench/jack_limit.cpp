// Measures the longest System Exclusive message that pmckeys' own MIDI
// output carries whole on JACK: RtMidiSystem, as `pmckeys restore` uses it
// (RtMidi's JACK output), sending to a plain JACK client on a server of the
// tool's own (jackd's dummy backend with its default buffer).
//
//   pmckeys_jack_limit            measures and prints the figures
//   pmckeys_jack_limit --send N   the sender, which the measurement runs
//
// Each message goes out from a sender process of its own, since RtMidi may
// block for good on a message it cannot take: a sender still running after
// 5 s is killed. A message is carried when the receiver saw it whole, in
// one event. A binary search between 1 KiB and 64 KiB finds the longest;
// the figure is set against RtMidiSystem::JACK_LONGEST_MESSAGE, and the
// exit status is 1 when they differ.
#include <jack/jack.h>
#include <jack/midiport.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <string>

#include "midi/RtMidiSystem.h"
#include "process/ChildCommand.h"
#include "tests/support/JackServer.h"

namespace {

const unsigned char kFill = 0x55;

MidiBytes message(std::size_t size) {
  MidiBytes bytes(size, kFill);
  bytes.front() = 0xF0;
  bytes.back() = 0xF7;
  return bytes;
}

int send(std::size_t size) {
  Result<std::unique_ptr<MidiSystem>> system = RtMidiSystem::open("pmckeys");
  Result<std::unique_ptr<MidiOutput>> output = system ? system.value()->openOutput("receiver:in") : Failed(system.error());
  const Result<> sent = output ? output.value()->send(message(size)) : Failed(output.error());
  if (!sent) {
    fprintf(stderr, "pmckeys_jack_limit: %s\n", sent.error().c_str());
    return 2;
  }
  return 0;  // the output's destructor waits until JACK has taken the message
}

// What the receiver saw last; written on JACK's thread.
std::atomic<std::size_t> gWholeSize{0};
std::atomic<std::size_t> gEvents{0};
std::atomic<std::size_t> gJackLongest{0};
jack_port_t* gIn = nullptr;
jack_port_t* gOut = nullptr;

int process(jack_nframes_t frames, void*) {
  void* in = jack_port_get_buffer(gIn, frames);
  const jack_nframes_t count = jack_midi_get_event_count(in);
  for (jack_nframes_t i = 0; i < count; ++i) {
    jack_midi_event_t event;
    if (jack_midi_event_get(&event, in, i) != 0) continue;
    bool whole = event.size >= 2 && event.buffer[0] == 0xF0 && event.buffer[event.size - 1] == 0xF7;
    for (std::size_t b = 1; whole && b + 1 < event.size; ++b) whole = event.buffer[b] == kFill;
    gWholeSize = whole ? event.size : 0;
    ++gEvents;
  }
  void* out = jack_port_get_buffer(gOut, frames);  // an empty buffer: how much one event may hold
  jack_midi_clear_buffer(out);
  gJackLongest = jack_midi_max_event_size(out);
  return 0;
}

jack_client_t* openReceiver() {
  for (int attempt = 0; attempt < 100; ++attempt, usleep(100000)) {
    jack_client_t* client = jack_client_open("receiver", JackNoStartServer, nullptr);
    if (client == nullptr) continue;
    gIn = jack_port_register(client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    gOut = jack_port_register(client, "probe", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    jack_set_process_callback(client, process, nullptr);
    if (gIn != nullptr && gOut != nullptr && jack_activate(client) == 0) return client;
    jack_client_close(client);
  }
  return nullptr;
}

// "whole", "nothing" or what else came, after one sender ran.
std::string carried(const char* self, std::size_t size) {
  gEvents = 0;
  gWholeSize = 0;
  ChildCommand sender;
  sender.argv = {self, "--send", std::to_string(size)};
  const pid_t pid = sender.start("pmckeys_jack_limit");
  int status = 0;
  bool ended = false;
  for (int waited = 0; waited < 50 && !ended; ++waited) {
    usleep(100000);
    ended = waitpid(pid, &status, WNOHANG) == pid;
  }
  if (!ended) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
  usleep(100000);  // a few JACK periods for the receiver
  if (ended && (!WIFEXITED(status) || WEXITSTATUS(status) != 0)) return "the sender failed";
  const std::string blocked = ended ? "" : " (the sender blocked and was killed)";
  if (gEvents == 0) return "nothing arrived" + blocked;
  if (gEvents == 1 && gWholeSize == size) return "whole";
  return std::to_string(gEvents.load()) + " events, not the message whole" + blocked;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--send") return send(std::strtoul(argv[2], nullptr, 10));
  JackServer jack;  // the senders find it as this process does
  jack_client_t* receiver = jack.running() ? openReceiver() : nullptr;
  if (receiver == nullptr) {
    printf("no JACK server came up (is jackd2 installed?)\n");
    return 2;
  }
  usleep(200000);  // a period or two, for the probe port's figure
  printf("JACK server: jackd %s, dummy backend, %u frames at %u Hz; an event of JACK's own may hold %zu bytes\n",
         jack_get_version_string(), jack_get_buffer_size(receiver), jack_get_sample_rate(receiver),
         gJackLongest.load());
  std::size_t good = 1024, bad = 64 * 1024;
  const std::string least = carried(argv[0], good), most = carried(argv[0], bad);
  std::string above = most;
  printf("%8zu bytes: %s\n%8zu bytes: %s\n", good, least.c_str(), bad, most.c_str());
  while (least == "whole" && most != "whole" && bad - good > 1) {
    const std::size_t size = (good + bad) / 2;
    const std::string outcome = carried(argv[0], size);
    printf("%8zu bytes: %s\n", size, outcome.c_str());
    if (outcome == "whole") {
      good = size;
    } else {
      bad = size;
      above = outcome;
    }
  }
  jack_client_close(receiver);
  jack.stop();
  const std::size_t constant = RtMidiSystem::JACK_LONGEST_MESSAGE;
  printf("pmckeys' output on JACK carries messages up to %zu bytes whole; %zu bytes: %s\n", good, bad, above.c_str());
  printf("RtMidiSystem::JACK_LONGEST_MESSAGE is %zu: %s\n", constant, constant == good ? "agrees" : "DIFFERS");
  return constant == good ? 0 : 1;
}
