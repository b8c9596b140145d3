#include <signal.h>

#include "frontend/CommandLine.h"
#include "process/StandardStreams.h"
#include "process/StopRequest.h"

int main(int argc, char** argv) {
  StopRequest::noteIgnoredAtStart();
  ensureStandardStreams();
  // Neither a hang-up of the serial line (which becomes the controlling
  // terminal of a run without one) nor a reader of standard output that went
  // away may stop a run between two keys: the read that meets the hang-up
  // reports it, and the failed write is reported when the keys are done.
  // (While a dump is taken or a restore sent, a SIGHUP stops it as Ctrl-C
  // does, unless the run was started with it ignored, as nohup does.)
  signal(SIGHUP, SIG_IGN);
  signal(SIGPIPE, SIG_IGN);
  return runCommandLine(argc, argv);
}
