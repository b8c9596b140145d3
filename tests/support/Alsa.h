// Runs a test on the machine's ALSA sequencer (tests/alsa_vm.sh boots a kernel with one), PMCKEYS_MIDI_API=alsa for
// it and the programs it starts; skips it, saying why, where there is none.
#ifndef PMCKEYS_TESTS_SUPPORT_ALSA_H
#define PMCKEYS_TESTS_SUPPORT_ALSA_H

#include <gtest/gtest.h>
#include <stdlib.h>

#include "midi/RtMidiSystem.h"

class Alsa : public ::testing::Test {
protected:
  void SetUp() override {
    setenv("PMCKEYS_MIDI_API", "alsa", 1);
    Result<std::unique_ptr<MidiSystem>> midi = RtMidiSystem::open("pmckeys-test");
    if (!midi) GTEST_SKIP() << midi.error();
    fMidi = std::move(midi.value());
  }

  std::unique_ptr<MidiSystem> fMidi;
};

#endif
