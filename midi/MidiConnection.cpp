#include "midi/MidiConnection.h"

#include <cstdlib>

#include "midi/MidiModule.h"
#include "midi/PortChoice.h"

Result<> MidiConnection::open() {
  Result<std::unique_ptr<MidiSystem>> system = MidiModule::open("pmckeys");
  if (!system) return Failed(system.error());
  fSystem = std::move(system.value());
  return Done();
}

Result<std::string> MidiConnection::choose(MidiSystem::Direction direction) {
  const bool in = direction == MidiSystem::Direction::In;
  const PortChoice::Request request = {in ? "input" : "output", in ? "PMCKEYS_MIDI_IN" : "PMCKEYS_MIDI_OUT",
                                       fSystem->name()};
  const char* wanted = std::getenv(request.variable.c_str());
  const std::vector<std::string> ports = fSystem->ports(direction);
  const Result<std::size_t> index = PortChoice::choose(ports, wanted != nullptr ? wanted : "", request);
  if (!index) return Failed(index.error());
  return ports[index.value()];
}

Result<std::unique_ptr<MidiInput>> MidiConnection::openInput(std::string& port) {
  const Result<std::string> chosen = choose(MidiSystem::Direction::In);
  if (!chosen) return Failed(chosen.error());
  port = chosen.value();
  return fSystem->openInput(port);
}

Result<std::unique_ptr<MidiOutput>> MidiConnection::openOutput(std::string& port) {
  const Result<std::string> chosen = choose(MidiSystem::Direction::Out);
  if (!chosen) return Failed(chosen.error());
  port = chosen.value();
  return fSystem->openOutput(port);
}

std::string MidiConnection::lost(MidiEnd& end, const std::string& port) {
  switch (end.portState()) {
    case MidiPortState::PortGone:
      return "the MIDI port <" + port + "> went away";
    case MidiPortState::SystemGone:
      return "the JACK server stopped";
    case MidiPortState::Present:
      break;
  }
  return "";
}

std::vector<std::string> MidiConnection::listing() {
  std::vector<std::string> lines;
  for (const std::string& port : fSystem->ports(MidiSystem::Direction::In)) lines.push_back("in  " + port);
  for (const std::string& port : fSystem->ports(MidiSystem::Direction::Out)) lines.push_back("out " + port);
  return lines;
}
