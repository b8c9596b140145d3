// The machine's ALSA sequencer, for the tests that need one (tests/alsa_vm.sh
// boots a kernel that has it): the fixture runs them on it, with
// PMCKEYS_MIDI_API=alsa for the test and the programs it starts, or skips
// them where there is none, saying why.
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
