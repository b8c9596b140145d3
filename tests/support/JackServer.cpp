#include "tests/support/JackServer.h"

#include <gtest/gtest.h>
#include <jack/jack.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include "process/ChildCommand.h"

namespace {

void quiet(const char*) {}

bool answers() {
  jack_status_t status;
  jack_client_t* client = jack_client_open("probe", JackNoStartServer, &status);
  if (client != nullptr) jack_client_close(client);
  return client != nullptr;
}

}  // namespace

JackServer::JackServer() {
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  const std::string name = std::string(test->name()) + "-" + std::to_string(getpid());
  setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
  setenv("PMCKEYS_MIDI_API", "jack", 1);
  jack_set_error_function(quiet);
  jack_set_info_function(quiet);
  ChildCommand jackd;
  jackd.argv = {"jackd", "-n", name, "--no-realtime", "-d", "dummy"};
  jackd.out = jackd.err = ChildCommand::DISCARD;
  fPid = jackd.start("JackServer");
  for (int i = 0; i < 100 && !fRunning; ++i) {
    usleep(50000);
    fRunning = answers();
  }
}

void JackServer::stop() {
  if (fPid <= 0) return;
  kill(fPid, SIGTERM);
  waitpid(fPid, nullptr, 0);
  fPid = -1;
  fRunning = false;
}

JackServer::~JackServer() {
  stop();
  unsetenv("JACK_DEFAULT_SERVER");
  unsetenv("PMCKEYS_MIDI_API");
}
