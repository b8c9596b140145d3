// The choice of a MIDI port by a part of its name (the error texts are checked end to end, on JACK).
#include <gtest/gtest.h>

#include "midi/PortChoice.h"

namespace {

TEST(PortChoice, APartOfTheNameInAnyCaseOrTheOnlyPortBesidesMidiThrough) {
  const std::vector<std::string> alsa = {"Midi Through:Midi Through Port-0 14:0", "UM-ONE:UM-ONE MIDI 1 24:0"};
  const std::vector<std::string> synths = {"synth 2:in 130:0", "synth:in 129:0", "Synth:in"};
  const struct { std::vector<std::string> ports; std::string wanted; int chosen; } cases[] = {
      {alsa, "", 1},           {alsa, "um-one", 1},   {alsa, "through", 0},   {{alsa[0]}, "", -1},
      {synths, "synth:in", 2}, {synths, "SYNTH", -1}, {synths, "synth 2", 0}, {{}, "", -1},
  };
  for (const auto& c : cases) {
    const Result<std::size_t> chosen = PortChoice::choose(c.ports, c.wanted, {"input", "PMCKEYS_MIDI_IN", "ALSA"});
    EXPECT_EQ(chosen ? static_cast<int>(chosen.value()) : -1, c.chosen) << c.wanted << ": " << chosen.error();
    EXPECT_EQ(chosen.error().empty(), c.chosen >= 0);
  }
}

}  // namespace
