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
  explicit JackWatch(const std::string& clientName) : fName(clientName) {}
  ~JackWatch();
  JackWatch(const JackWatch&) = delete;
  JackWatch& operator=(const JackWatch&) = delete;

  // Opens the client when it is not open yet (a server busy with other
  // clients may have turned it away before); false when the server does
  // not answer or has gone since.
  bool serverRunning();

private:
  std::string fName;
  void* fClient = nullptr;
  std::atomic<bool> fGone{false};
};

#endif
