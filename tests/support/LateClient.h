// A JACK client of a test's own that overruns its process cycles when asked, as a client on a loaded machine does:
// the server misses those cycles (xruns) and tells every client. Opened on the server JACK_DEFAULT_SERVER names
// (JackServer sets it), active while it lives; owns its client.
#ifndef PMCKEYS_TESTS_SUPPORT_LATECLIENT_H
#define PMCKEYS_TESTS_SUPPORT_LATECLIENT_H

#include <atomic>

class LateClient {
public:
  LateClient();
  ~LateClient();
  LateClient(const LateClient&) = delete;
  LateClient& operator=(const LateClient&) = delete;

  bool open() const { return fClient != nullptr; }
  // Overruns the next `cycles` cycles (-1: every cycle from now on).
  void overrun(int cycles) { fLate = cycles; }

private:
  void* fClient = nullptr;
  std::atomic<int> fLate{0};
};

#endif
