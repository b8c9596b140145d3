// Does nothing. Built twice, without and with libedit linked, so that the
// benchmark shows what linking libedit would add to every start of pmckeys
// (the console loads it instead, when it starts).
#ifdef PMCKEYS_PROBE_LIBEDIT
#include <histedit.h>
#endif

int main() {
#ifdef PMCKEYS_PROBE_LIBEDIT
  void* volatile kept = reinterpret_cast<void*>(&el_init);  // keeps the library linked
  return kept == nullptr ? 1 : 0;
#else
  return 0;
#endif
}
