#include "simulator/TraceWriter.h"

#include <cstdio>

namespace {

std::string format(const char* pattern, double value) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

std::string hex(unsigned char c) {
  char text[4];
  std::snprintf(text, sizeof text, "%02x", c);
  return text;
}

std::string padded(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

}  // namespace

TraceWriter::TraceWriter(std::ostream& out, bool expectReturn, bool sharedTerminal)
    : fOut(out), fExpectReturn(expectReturn), fClearsLine(sharedTerminal) {}

void TraceWriter::line(const std::string& text) { fOut << (fClearsLine ? "\r\033[K" : "") << text << std::endl; }

void TraceWriter::note(const std::string& text) { line("         " + text); }

void TraceWriter::received(double seconds, const SimulatedBoard::Reception& reception, const MenuModel& model) {
  noteReturn(seconds);
  fLast = seconds;
  ++fKeys;
  fBytes += (fBytes.empty() ? "" : " ") + hex(reception.character);
  const std::string time = format("%8.3f s  ", seconds);
  if (reception.keyCode == 0) {
    line(time + "0x" + hex(reception.character) + "  not a key: nothing pressed, no answer");
    return;
  }
  line(time + "'" + std::string(1, static_cast<char>(reception.character)) + "'   " +
       padded(reception.keyName, 10) + " -> " + reception.move.place);
  warnAbout(reception, model);
  fLastPlace = reception.move.place;
}

void TraceWriter::noteReturn(double seconds) {
  if (fLast < 0 || seconds - fLast < RETURN_PAUSE_S) return;
  const std::string pause = format("%.2f s", seconds - fLast);
  if (fExpectReturn && !fReturning) {
    fReturning = true;
    note("-- pause of " + pause + ": the return along the trail begins --");
  } else {
    note("-- pause of " + pause + " --");
  }
}

void TraceWriter::warnAbout(const SimulatedBoard::Reception& reception, const MenuModel& model) {
  const MenuModel::Move& move = reception.move;
  if (!move.performed.empty()) {
    note("!!! CARRIED OUT on a real device: " + move.performed);
    fCarriedOut.push_back(move.performed);
  }
  if (move.place != fLastPlace && !model.enterWarning().empty()) note("!! " + move.place + ": " + model.enterWarning());
  if (fReturning && !fReturnWarned && (model.onStep() || !move.performed.empty())) {
    fReturnWarned = true;
    note("WARNING: the return along the trail passes through " + move.place +
         ", a step inside an item, where ENTER confirms: on a real device it may carry out the operation");
  }
}

void TraceWriter::summary(const MenuModel& model, const std::string& memory, int status) {
  line("");  // the command's own output may end without a line end
  line("summary: " + std::to_string(fKeys) + (fKeys == 1 ? " key" : " keys") + " received:" +
       (fBytes.empty() ? "" : " " + fBytes));
  if (model.inPerformanceMode()) {
    line("summary: the device ended in performance mode");
  } else {
    line("summary: the device was left in " + model.place() + ", not in performance mode");
  }
  for (const std::string& operation : fCarriedOut) line("summary: carried out on a real device: " + operation);
  line("summary: the memory holds " + memory);
  if (status >= 0) line("summary: the command exited with status " + std::to_string(status));
}
