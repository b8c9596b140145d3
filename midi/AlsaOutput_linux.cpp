// The ALSA sequencer's own API, on Linux.
#include <alsa/asoundlib.h>

#include <cstdlib>

#include "midi/AlsaOutput.h"

namespace {

class SequencerOutput : public MidiOutput {
public:
  SequencerOutput(snd_seq_t* sequencer, int port, snd_seq_addr_t to)
      : fSequencer(sequencer), fPort(port), fTo(to) {}
  ~SequencerOutput() override { snd_seq_close(fSequencer); }
  SequencerOutput(const SequencerOutput&) = delete;
  SequencerOutput& operator=(const SequencerOutput&) = delete;

  // Direct: the event goes to the destination at once, not through a queue
  // that would hold it back.
  Result<> send(const MidiBytes& bytes) override {
    snd_seq_event_t event;
    snd_seq_ev_clear(&event);
    snd_seq_ev_set_source(&event, fPort);
    snd_seq_ev_set_subs(&event);
    snd_seq_ev_set_direct(&event);
    snd_seq_ev_set_sysex(&event, bytes.size(), const_cast<unsigned char*>(bytes.data()));
    const int sent = snd_seq_event_output_direct(fSequencer, &event);
    if (sent < 0) return Failed(std::string("the ALSA sequencer took no data: ") + snd_strerror(sent));
    return Done();
  }

  std::size_t pieceSize() const override { return AlsaOutput::PIECE; }

  MidiPortState portState() override {
    snd_seq_port_info_t* info;
    snd_seq_port_info_alloca(&info);
    const bool there = snd_seq_get_any_port_info(fSequencer, fTo.client, fTo.port, info) >= 0;
    return there ? MidiPortState::Present : MidiPortState::PortGone;
  }

private:
  snd_seq_t* fSequencer;
  int fPort;
  snd_seq_addr_t fTo;
};

// The address at the end of a port's full name ("... 24:0").
bool addressOf(const std::string& port, snd_seq_addr_t& address) {
  const std::size_t blank = port.rfind(' ');
  if (blank == std::string::npos) return false;
  const char* text = port.c_str() + blank + 1;
  char* end = nullptr;
  const long client = std::strtol(text, &end, 10);
  if (end == text || *end != ':') return false;
  text = end + 1;
  const long number = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || client < 0 || client > 255 || number < 0 || number > 255) return false;
  address.client = static_cast<unsigned char>(client);
  address.port = static_cast<unsigned char>(number);
  return true;
}

}  // namespace

Result<std::unique_ptr<MidiOutput>> AlsaOutput::open(const std::string& clientName, const std::string& port) {
  snd_seq_addr_t to;
  if (!addressOf(port, to)) return Failed("no MIDI port <" + port + ">");
  snd_seq_t* sequencer = nullptr;
  int status = snd_seq_open(&sequencer, "default", SND_SEQ_OPEN_OUTPUT, 0);
  if (status < 0) return Failed(std::string("cannot open the ALSA sequencer: ") + snd_strerror(status));
  snd_seq_set_client_name(sequencer, clientName.c_str());
  const int own = snd_seq_create_simple_port(sequencer, "out", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                             SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
  status = own < 0 ? own : snd_seq_connect_to(sequencer, own, to.client, to.port);
  if (status < 0) {
    snd_seq_close(sequencer);
    return Failed("cannot connect to the MIDI port <" + port + ">: " + snd_strerror(status));
  }
  return std::unique_ptr<MidiOutput>(new SequencerOutput(sequencer, own, to));
}
