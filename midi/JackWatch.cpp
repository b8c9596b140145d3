#include "midi/JackWatch.h"

#ifdef PMCKEYS_HAVE_JACK

#include <jack/jack.h>

#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

std::int64_t nowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

jack_client_t* asClient(void* client) { return static_cast<jack_client_t*>(client); }

std::string whyNot(jack_status_t status) {
  if ((status & JackServerFailed) != 0) return "no MIDI system: no JACK server is running";
  const struct {
    int bit;
    const char* text;
  } kReasons[] = {{JackVersionError, "the server speaks another version of the protocol"},
                  {JackShmFailure, "JACK's shared memory cannot be used"},
                  {JackServerError, "the server turned it away (too many clients?)"},
                  {JackInitFailure, "the client could not be set up"},
                  {JackLoadFailure, "the client could not be loaded"},
                  {JackInvalidOption, "an option was refused"}};
  for (const auto& reason : kReasons) {
    if ((status & reason.bit) != 0) return std::string("cannot open a JACK client: ") + reason.text;
  }
  return "cannot open a JACK client: the server refused it";
}

// A server busy with other clients coming and going may turn one away for a
// moment: ask a few times before taking the answer for final.
jack_client_t* openClient(const std::string& name, jack_status_t& status) {
  const int attempts = 5;
  for (int attempt = 1; attempt <= attempts; ++attempt) {
    jack_client_t* client = jack_client_open(name.c_str(), JackNoStartServer, &status);
    if (client != nullptr || attempt == attempts) return client;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return nullptr;
}

std::vector<std::string> taken(const char** names) {
  std::vector<std::string> list;
  for (const char** name = names; name != nullptr && *name != nullptr; ++name) list.emplace_back(*name);
  jack_free(static_cast<void*>(names));
  return list;
}

}  // namespace

Result<> JackWatch::open() {
  if (fClient == nullptr) {
    jack_status_t status = static_cast<jack_status_t>(0);
    jack_client_t* client = openClient(fName, status);
    if (client == nullptr) return Failed(whyNot(status));
    fClient = client;
    // Called on JACK's own thread; a client need not be active to be told.
    jack_on_info_shutdown(
        client, [](jack_status_t, const char*, void* self) { static_cast<JackWatch*>(self)->fGone = true; }, this);
  }
  if (fGone) return Failed("the JACK server stopped");
  return Done();
}

std::string JackWatch::name() const { return fClient == nullptr ? fName : jack_get_client_name(asClient(fClient)); }

Result<std::vector<std::string>> JackWatch::ports(bool inputs) {
  const Result<> opened = open();
  if (!opened) return Failed(opened.error());
  std::vector<std::string> others;
  for (std::string& port : taken(jack_get_ports(asClient(fClient), nullptr, JACK_DEFAULT_MIDI_TYPE,
                                                inputs ? JackPortIsInput : JackPortIsOutput))) {
    if (!own(port)) others.push_back(std::move(port));
  }
  return others;
}

bool JackWatch::own(const std::string& port) const {
  const std::string base = name(), client = port.substr(0, port.find(':'));
  if (client == base) return true;
  return client.size() > base.size() + 1 && client.compare(0, base.size() + 1, base + "-") == 0 &&
         client.find_first_not_of("0123456789", base.size() + 1) == std::string::npos;
}

std::string JackWatch::ownPort(const std::string& shortName, bool input) {
  if (!open()) return "";
  for (const std::string& port : taken(jack_get_ports(asClient(fClient), nullptr, JACK_DEFAULT_MIDI_TYPE,
                                                      input ? JackPortIsInput : JackPortIsOutput))) {
    const std::size_t colon = port.find(':');
    if (colon != std::string::npos && port.compare(colon + 1, std::string::npos, shortName) == 0 && own(port)) {
      return port;
    }
  }
  return "";
}

bool JackWatch::activate() {
  if (fActive || !open()) return fActive;
  jack_client_t* client = asClient(fClient);
  jack_set_process_callback(
      client,
      [](jack_nframes_t, void* self) {
        JackWatch& watch = *static_cast<JackWatch*>(self);
        watch.fLastCycleNs = nowNs();
        ++watch.fCycles;
        return 0;
      },
      this);
  jack_set_xrun_callback(
      client,
      [](void* self) {
        ++static_cast<JackWatch*>(self)->fMissed;
        return 0;
      },
      this);
  fLastCycleNs = nowNs();
  fActive = jack_activate(client) == 0;
  return fActive;
}

std::uint64_t JackWatch::cycles() {
  activate();
  return fCycles;
}

std::uint64_t JackWatch::missedCycles() {
  activate();
  return fMissed;
}

int JackWatch::quietMs() {
  if (!activate()) return 0;
  return static_cast<int>((nowNs() - fLastCycleNs) / 1000000);
}

bool JackWatch::awaitCycle(std::uint64_t after, int ms) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ms);
  while (cycles() <= after && !fGone) {
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return !fGone;
}

bool JackWatch::awaitLive(const std::string& from, const std::string& to) {
  if (!activate()) return false;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(LIVE_WITHIN_MS);
  jack_port_t* port = jack_port_by_name(asClient(fClient), from.c_str());
  while (port != nullptr && !fGone && Clock::now() < deadline) {
    if (jack_port_connected_to(port, to.c_str()) != 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      return awaitCycle(cycles(), static_cast<int>(left));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

// A server that runs no cycles (frozen) would hold the close forever: the
// process is ending, and the server drops the client when it sees it gone.
JackWatch::~JackWatch() {
  if (fClient == nullptr || fGone || (fActive && quietMs() >= STALLED_AFTER_MS)) return;
  jack_client_close(asClient(fClient));
}

#else

// Built without JACK: RtMidiSystem makes no watch, but owns the pointer.
Result<> JackWatch::open() { return Failed("no MIDI system: JACK is not built in"); }
std::string JackWatch::name() const { return fName; }
Result<std::vector<std::string>> JackWatch::ports(bool) { return std::vector<std::string>(); }
std::string JackWatch::ownPort(const std::string&, bool) { return ""; }
bool JackWatch::own(const std::string&) const { return false; }
bool JackWatch::awaitLive(const std::string&, const std::string&) { return false; }
std::uint64_t JackWatch::cycles() { return 0; }
std::uint64_t JackWatch::missedCycles() { return 0; }
int JackWatch::quietMs() { return 0; }
bool JackWatch::awaitCycle(std::uint64_t, int) { return false; }
bool JackWatch::activate() { return false; }
JackWatch::~JackWatch() = default;

#endif
