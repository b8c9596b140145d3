// JackWatch: a client of the JACK server with no ports, open while pmckeys
// sends or receives, which JACK tells at once when the server goes away
// (stopped, crashed). RtMidi registers no such callback on its own clients,
// and the port list they see goes on showing the ports of a server that
// has gone: JACK keeps its graph in shared memory that outlives the server.
//
// Owns its client; RtMidiSystem owns the watch.
#ifndef PMCKEYS_MIDI_JACKWATCH_H
#define PMCKEYS_MIDI_JACKWATCH_H

#include <atomic>
#include <string>

class JackWatch {
public:
  // Opens the client; a server that does not answer counts as gone.
  explicit JackWatch(const std::string& clientName);
  ~JackWatch();
  JackWatch(const JackWatch&) = delete;
  JackWatch& operator=(const JackWatch&) = delete;

  bool serverRunning() const { return !fGone; }

private:
  void* fClient = nullptr;
  std::atomic<bool> fGone{false};
};

#endif
