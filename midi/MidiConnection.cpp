#include "midi/MidiConnection.h"

#include <unistd.h>

#include <cstdlib>

#include "midi/MidiModule.h"
#include "midi/PortChoice.h"

namespace {

const char* variableFor(MidiSystem::Direction direction) {
  return direction == MidiSystem::Direction::In ? "PMCKEYS_MIDI_IN" : "PMCKEYS_MIDI_OUT";
}

}  // namespace

Result<> MidiConnection::open() {
  Result<std::unique_ptr<MidiSystem>> system = MidiModule::open("pmckeys-" + std::to_string(getpid()));
  if (!system) return Failed(system.error());
  fSystem = std::move(system.value());
  return Done();
}

Result<MidiConnection::Ports> MidiConnection::ports(MidiSystem::Direction direction) {
  Result<std::vector<std::string>> names = fSystem->ports(direction);
  if (!names) return Failed(names.error());
  const char* wanted = std::getenv(variableFor(direction));
  return Ports{std::move(names.value()), wanted != nullptr ? wanted : ""};
}

Result<std::string> MidiConnection::pick(MidiSystem::Direction direction, const Ports& ports) const {
  const bool in = direction == MidiSystem::Direction::In;
  const PortChoice::Request request = {in ? "input" : "output", variableFor(direction), fSystem->name()};
  const Result<std::size_t> index = PortChoice::choose(ports.names, ports.wanted, request);
  if (!index) return Failed(index.error());
  return ports.names[index.value()];
}

Result<std::string> MidiConnection::choose(MidiSystem::Direction direction) {
  const Result<Ports> ports = this->ports(direction);
  if (!ports) return Failed(ports.error());
  return pick(direction, ports.value());
}

Result<std::string> MidiConnection::chooseIfAny(MidiSystem::Direction direction) {
  const Result<Ports> ports = this->ports(direction);
  if (!ports) return Failed(ports.error());
  if (PortChoice::noneToTake(ports.value().names, ports.value().wanted)) return std::string();
  return pick(direction, ports.value());
}

Result<std::unique_ptr<MidiInput>> MidiConnection::openInput(const std::string& port) {
  return fSystem->openInput(port);
}

Result<std::unique_ptr<MidiOutput>> MidiConnection::openOutput(const std::string& port) {
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

std::string MidiConnection::stalled() {
  const MidiCycles cycles = fSystem->cycles();
  if (!cycles.counted || cycles.quietMs < MidiCycles::STALLED_MS) return "";
  return "the " + fSystem->name() + " server ran no cycle for " + std::to_string(MidiCycles::STALLED_MS / 1000) + " s";
}

Result<std::vector<std::string>> MidiConnection::listing() {
  std::vector<std::string> lines;
  for (const MidiSystem::Direction direction : {MidiSystem::Direction::In, MidiSystem::Direction::Out}) {
    const Result<std::vector<std::string>> ports = fSystem->ports(direction);
    if (!ports) return Failed(ports.error());
    for (const std::string& port : ports.value()) {
      lines.push_back((direction == MidiSystem::Direction::In ? "in  " : "out ") + port);
    }
  }
  return lines;
}
