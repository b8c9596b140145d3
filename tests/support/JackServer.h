// A JACK server of the test's own on the dummy audio backend, so that tests
// side by side never see each other's MIDI ports; the benchmarks start
// theirs the same way. The constructor starts
// `jackd -n NAME --realtime -d dummy -p FRAMES` (--no-realtime where this
// process may not use realtime priorities), points this process and every
// program it starts at it (JACK_DEFAULT_SERVER, PMCKEYS_MIDI_API=jack) and
// waits until it answers; the destructor stops it, unless stop() did.
//
// NAME is pmckeys-jack-0 to -7, the first that no other test holds (a lock
// on /tmp/NAME.lock, held while the object lives). JACK keeps at most 8
// servers in one registry for the whole machine, and a server killed
// outright (a test out of time) leaves its entry there, which only a server
// of the same name takes back: names used over and over keep it from
// filling up.
#ifndef PMCKEYS_TESTS_SUPPORT_JACKSERVER_H
#define PMCKEYS_TESTS_SUPPORT_JACKSERVER_H

#include <sys/types.h>

#include <string>
#include <vector>

class JackServer {
public:
  // Frames a cycle: 85 ms at the dummy backend's 48 kHz. A server misses a
  // cycle whenever a client is late with it, and pmckeys takes a dump again
  // after a missed cycle: runs side by side on a busy two-core machine miss a
  // cycle of jackd's default 1,024 (21 ms) now and then, of 4,096 rarely.
  static constexpr int FRAMES = 4096;

  // options: more of jackd's own, before the backend ("-a", "A").
  explicit JackServer(std::vector<std::string> options = {}, int frames = FRAMES);
  ~JackServer();
  JackServer(const JackServer&) = delete;
  JackServer& operator=(const JackServer&) = delete;

  bool running() const { return fRunning; }
  // Stops the server at once, as a user or a crash does to programs using
  // it, and waits until it has gone.
  void stop();
  // Sends the server a signal: SIGSTOP freezes it as a hung server is, SIGCONT thaws it.
  void signal(int number);

private:
  void start(int slot);

  std::vector<std::string> fOptions;
  int fFrames;
  pid_t fPid = -1;
  int fLock = -1;
  bool fRunning = false;
};

#endif
