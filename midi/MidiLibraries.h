// MidiLibraries: what pmckeys knows about the libraries under RtMidi. They
// write to standard error on their own (ALSA's "ALSA lib ..." lines, JACK's
// "Cannot connect to server socket", RtMidi's warnings, which its
// constructors print on std::cerr before an error callback can be set);
// silence() stops that for the rest of the process, and QuietCerr keeps
// std::cerr quiet while it lives. unavailable() finds out, without RtMidi,
// whether a system can be used at all, so that a missing one costs one
// line of our own.
#ifndef PMCKEYS_MIDI_MIDILIBRARIES_H
#define PMCKEYS_MIDI_MIDILIBRARIES_H

#include <sstream>
#include <string>

class MidiLibraries {
public:
  static void silence();
  // Why the system named by RtMidi's API number cannot be used ("the ALSA
  // sequencer is not available"), or "" when it can; JACK's server is
  // asked by the run's JackWatch.
  static std::string unavailable(int api);

  // Swaps std::cerr's buffer for one that keeps what is written; the
  // destructor puts the old one back.
  class QuietCerr {
  public:
    QuietCerr();
    ~QuietCerr();
    QuietCerr(const QuietCerr&) = delete;
    QuietCerr& operator=(const QuietCerr&) = delete;

  private:
    std::stringbuf fSink;
    std::streambuf* fSaved;
  };

private:
  // The ALSA part, in a file of its own for Linux.
  static void silenceAlsa();
  static bool alsaSequencerAvailable();
};

#endif
