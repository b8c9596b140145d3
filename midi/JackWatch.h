// JackWatch: the one JACK client of a run that has no MIDI ports of its own.
// Through it pmckeys lists the ports, learns at once when the server goes
// away (RtMidi registers no such callback, and the port list its clients
// see goes on showing the ports of a server that has gone: JACK keeps its
// graph in shared memory that outlives the server), counts the server's
// process cycles and the cycles it missed (xruns, which lose data on any
// connection), and sees when a connection is in the running graph.
// jack_connect only puts a connection into the server's next graph, and a
// message written to a port that is not connected yet in the cycle that
// takes it is lost: so a connection counts as live only when
// jack_port_connected_to says so and a cycle has run since.
//
// The client is opened at the first call that needs it and activated when
// cycles are first asked for. Owns its client; RtMidiSystem owns the watch.
#ifndef PMCKEYS_MIDI_JACKWATCH_H
#define PMCKEYS_MIDI_JACKWATCH_H

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "midi/MidiSystem.h"

class JackWatch {
public:
  // How long a connection may take to come up, and how long a server may
  // run no cycle before it counts as stalled (a frozen server).
  static constexpr int LIVE_WITHIN_MS = 5000;
  static constexpr int STALLED_AFTER_MS = MidiCycles::STALLED_MS;

  explicit JackWatch(const std::string& clientName) : fName(clientName) {}
  ~JackWatch();
  JackWatch(const JackWatch&) = delete;
  JackWatch& operator=(const JackWatch&) = delete;

  // Opens the client when it is not open yet (a server busy with other
  // clients may have turned it away before): a failure says why ("no JACK
  // server is running", "cannot open a JACK client: ..."); a server that
  // has gone since is a failure too.
  Result<> open();
  bool gone() const { return fGone; }
  // The client's name as the server gave it.
  std::string name() const;

  // Full names of the MIDI ports: inputs (that take data) or outputs.
  Result<std::vector<std::string>> ports(bool inputs);
  // The full name of this run's own port `shortName` (on any client named
  // as this one, or as JACK renamed a second one: "NAME-01"), or "".
  std::string ownPort(const std::string& shortName, bool input);
  // Waits until `from` is connected to `to` in the running graph and a
  // cycle has run since; false when that has not happened within
  // LIVE_WITHIN_MS.
  bool awaitLive(const std::string& from, const std::string& to);

  // Process cycles run and missed since the watch began to count; counting
  // begins at the first call (the client is activated then).
  std::uint64_t cycles();
  std::uint64_t missedCycles();
  // Milliseconds since the last cycle ran.
  int quietMs();
  // Waits until a cycle has run after cycle number `after`, at most `ms`.
  bool awaitCycle(std::uint64_t after, int ms);

private:
  bool activate();
  // Whether the port is on this client or on another of this run's.
  bool own(const std::string& port) const;

  std::string fName;
  void* fClient = nullptr;
  bool fActive = false;
  std::atomic<bool> fGone{false};
  std::atomic<std::uint64_t> fCycles{0};
  std::atomic<std::uint64_t> fMissed{0};
  std::atomic<std::int64_t> fLastCycleNs{0};
};

#endif
