// A JACK server of the test's own on the dummy backend, so that tests side by side never see each other's
// ports (the benchmarks start theirs the same way): `jackd -n NAME --realtime -d dummy -p FRAMES`
// (--no-realtime where realtime priorities are not allowed). This process and the programs it starts use
// it (JACK_DEFAULT_SERVER, PMCKEYS_MIDI_API=jack); the destructor stops it, unless stop() did. NAME is
// pmckeys-jack-0 to -7, the first no other test holds (a lock on /tmp/NAME.lock): JACK's registry holds 8
// servers for the whole machine, and only a server of the same name takes back the entry of one killed.
#ifndef PMCKEYS_TESTS_SUPPORT_JACKSERVER_H
#define PMCKEYS_TESTS_SUPPORT_JACKSERVER_H

#include <sys/types.h>

#include <string>
#include <vector>

class JackServer {
public:
  // Frames a cycle: 85 ms at 48 kHz. pmckeys takes a dump again after a missed cycle: runs side by side on
  // a busy two-core machine miss a cycle of jackd's default 1,024 (21 ms) now and then, of 4,096 rarely.
  static constexpr int FRAMES = 4096;

  // options: more of jackd's own, before the backend ("-a", "A").
  explicit JackServer(std::vector<std::string> options = {}, int frames = FRAMES);
  ~JackServer();
  JackServer(const JackServer&) = delete;
  JackServer& operator=(const JackServer&) = delete;

  bool running() const { return fRunning; }
  // Stops the server at once, as a user or a crash does, and waits until it has gone.
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
