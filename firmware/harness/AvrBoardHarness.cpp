// pmckeys-avr-harness: runs the board firmware on an emulated ATmega328P at
// 16 MHz, paced to real time, with its serial port on a pseudo-terminal, and
// runs one command against it with PMCKEYS_DEVICE set to that terminal. Every
// change of the four key lines (PORTB bits 0-3) and of their direction is
// recorded with its simulated time.
//
//   pmckeys-avr-harness FIRMWARE.elf RECORD_FILE -- COMMAND [ARG...]
//
// RECORD_FILE gets one line per change: "port MICROSECONDS NIBBLE" or
// "ddr MICROSECONDS NIBBLE" (hex). The exit status is the command's.
#include <fcntl.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "process/ChildCommand.h"

extern "C" {
#include <avr_ioport.h>
#include <avr_uart.h>
#include <sim_avr.h>
#include <sim_elf.h>
#include <sim_irq.h>
#include <uart_pty.h>
}

namespace {

const uint32_t FREQUENCY = 16000000;
const uint32_t KEY_LINES = 0x0f;

struct Change {
  const char* what;
  avr_cycle_count_t cycle;
  uint32_t nibble;
};

struct Recorder {
  avr_t* avr = nullptr;
  std::vector<Change> changes;
  uint32_t last[2] = {0xffffffffu, 0xffffffffu};
};

void record(Recorder& recorder, int which, uint32_t value) {
  const uint32_t nibble = value & KEY_LINES;
  if (recorder.last[which] == nibble) return;
  recorder.last[which] = nibble;
  recorder.changes.push_back({which == 0 ? "port" : "ddr", recorder.avr->cycle, nibble});
}

void onPort(avr_irq_t*, uint32_t value, void* param) { record(*static_cast<Recorder*>(param), 0, value); }
void onDirection(avr_irq_t*, uint32_t value, void* param) { record(*static_cast<Recorder*>(param), 1, value); }

double nowUs() {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1e6 + now.tv_nsec / 1e3;
}

avr_t* loadFirmware(const char* path) {
  // Kept for the life of the process: the simulation refers to what it holds.
  static elf_firmware_t firmware;
  memset(&firmware, 0, sizeof firmware);
  if (elf_read_firmware(path, &firmware) != 0) return nullptr;
  avr_t* avr = avr_make_mcu_by_name("atmega328p");
  if (avr == nullptr) return nullptr;
  avr_init(avr);
  avr_load_firmware(avr, &firmware);
  avr->frequency = FREQUENCY;  // after loading: the ELF may carry none
  return avr;
}

void connectUart(avr_t* avr, uart_pty_t& pty) {
  uart_pty_init(avr, &pty);
  uart_pty_connect(&pty, '0');
  // Without this, every poll of the UART status sleeps and replies lag.
  uint32_t flags = 0;
  avr_ioctl(avr, AVR_IOCTL_UART_GET_FLAGS('0'), &flags);
  flags &= ~AVR_UART_FLAG_POLL_SLEEP;
  avr_ioctl(avr, AVR_IOCTL_UART_SET_FLAGS('0'), &flags);
  fcntl(pty.pty.s, F_SETFD, FD_CLOEXEC);
  // uart_pty_connect links /tmp/simavr-uart0 to its terminal whoever else
  // runs; remove the link if it is still ours, and use the terminal's name.
  char target[256] = "";
  const ssize_t n = readlink("/tmp/simavr-uart0", target, sizeof target - 1);
  if (n > 0 && std::string(target, static_cast<size_t>(n)) == pty.pty.slavename) unlink("/tmp/simavr-uart0");
}

pid_t startCommand(char** command, const char* device, int stdoutFd) {
  ChildCommand child;
  for (char** arg = command; *arg != nullptr; ++arg) child.argv.emplace_back(*arg);
  child.env = {{"PMCKEYS_DEVICE", device}};
  child.out = stdoutFd;
  return child.start("pmckeys-avr-harness");
}

// Runs the simulation in step with the wall clock until the command ends.
int runUntilExit(avr_t* avr, pid_t child) {
  const double start = nowUs();
  for (;;) {
    for (int i = 0; i < 4000; ++i) {
      const int state = avr_run(avr);
      if (state == cpu_Done || state == cpu_Crashed) {
        fprintf(stderr, "pmckeys-avr-harness: the firmware stopped (state %d)\n", state);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        return 1;
      }
    }
    const double ahead = static_cast<double>(avr->cycle) / (FREQUENCY / 1e6) - (nowUs() - start);
    if (ahead > 200) usleep(static_cast<useconds_t>(ahead));
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child) {
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
  }
}

bool writeRecord(const char* path, const Recorder& recorder) {
  FILE* out = fopen(path, "w");
  if (out == nullptr) return false;
  for (const Change& change : recorder.changes) {
    fprintf(out, "%s %.1f %x\n", change.what, static_cast<double>(change.cycle) / (FREQUENCY / 1e6), change.nibble);
  }
  return fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5 || strcmp(argv[3], "--") != 0) {
    fprintf(stderr, "usage: pmckeys-avr-harness FIRMWARE.elf RECORD_FILE -- COMMAND [ARG...]\n");
    return 2;
  }
  // simavr prints on standard output; keep that for the command alone.
  const int commandStdout = dup(STDOUT_FILENO);
  dup2(STDERR_FILENO, STDOUT_FILENO);
  fcntl(commandStdout, F_SETFD, FD_CLOEXEC);

  avr_t* avr = loadFirmware(argv[1]);
  if (avr == nullptr) {
    fprintf(stderr, "pmckeys-avr-harness: cannot load <%s>\n", argv[1]);
    return 1;
  }
  Recorder recorder;
  recorder.avr = avr;
  avr_irq_register_notify(avr_io_getirq(avr, AVR_IOCTL_IOPORT_GETIRQ('B'), IOPORT_IRQ_PIN_ALL), onPort, &recorder);
  avr_irq_register_notify(avr_io_getirq(avr, AVR_IOCTL_IOPORT_GETIRQ('B'), IOPORT_IRQ_DIRECTION_ALL), onDirection,
                          &recorder);
  static uart_pty_t pty;
  connectUart(avr, pty);

  const pid_t child = startCommand(argv + 4, pty.pty.slavename, commandStdout);
  const int status = runUntilExit(avr, child);
  // uart_pty_stop() can hang on its thread: end the thread directly.
  pthread_cancel(pty.thread);
  pthread_join(pty.thread, nullptr);
  if (!writeRecord(argv[2], recorder)) {
    fprintf(stderr, "pmckeys-avr-harness: cannot write <%s>\n", argv[2]);
    return 1;
  }
  return status;
}
