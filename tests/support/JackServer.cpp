#include "tests/support/JackServer.h"

#include <fcntl.h>
#include <jack/jack.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "process/ChildCommand.h"

namespace {

const int kNames = 8;  // as many servers as JACK's registry holds, for the whole machine

void quiet(const char*) {}

// A realtime server and its clients' process threads are not held up by the
// other work of a loaded machine, so they miss no cycles for it.
bool realtimeAllowed() {
  struct rlimit limit;
  return geteuid() == 0 || (getrlimit(RLIMIT_RTPRIO, &limit) == 0 && limit.rlim_cur > 0);
}

bool answers() {
  jack_status_t status;
  jack_client_t* client = jack_client_open("probe", JackNoStartServer, &status);
  if (client != nullptr) jack_client_close(client);
  return client != nullptr;
}

}  // namespace

JackServer::JackServer(std::vector<std::string> options, int frames) : fOptions(std::move(options)), fFrames(frames) {
  setenv("PMCKEYS_MIDI_API", "jack", 1);
  jack_set_error_function(quiet);
  jack_set_info_function(quiet);
  // A full registry (other programs' servers, or entries left behind by
  // servers killed outright) may empty again: wait up to a minute.
  for (int round = 0; round < 60 && !fRunning; ++round) {
    for (int slot = 0; slot < kNames && !fRunning; ++slot) start(slot);
    if (!fRunning) sleep(1);
  }
}

void JackServer::start(int slot) {
  const std::string name = "pmckeys-jack-" + std::to_string(slot);
  const int lock = open(("/tmp/" + name + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
  if (lock < 0 || flock(lock, LOCK_EX | LOCK_NB) != 0 || answers()) {
    if (lock >= 0) close(lock);
    return;
  }
  ChildCommand jackd;
  jackd.argv = {"jackd", "-n", name, realtimeAllowed() ? "--realtime" : "--no-realtime"};
  jackd.argv.insert(jackd.argv.end(), fOptions.begin(), fOptions.end());
  jackd.argv.insert(jackd.argv.end(), {"-d", "dummy", "-p", std::to_string(fFrames)});
  jackd.out = jackd.err = ChildCommand::DISCARD;
  fPid = jackd.start("JackServer");
  // Up to 30 s: a loaded machine starts it slowly.
  for (int i = 0; i < 600 && !fRunning && fPid > 0; ++i) {
    usleep(50000);
    if (waitpid(fPid, nullptr, WNOHANG) == fPid) fPid = -1;  // it gave up: JACK's registry is full
    fRunning = fPid > 0 && answers();
  }
  if (fRunning) {
    fLock = lock;
  } else {
    stop();
    close(lock);
  }
}

void JackServer::stop() {
  if (fPid <= 0) return;
  kill(fPid, SIGTERM);
  waitpid(fPid, nullptr, 0);
  fPid = -1;
  fRunning = false;
}

void JackServer::signal(int number) {
  if (fPid > 0) kill(fPid, number);
}

JackServer::~JackServer() {
  stop();
  if (fLock >= 0) close(fLock);
  unsetenv("JACK_DEFAULT_SERVER");
  unsetenv("PMCKEYS_MIDI_API");
}
