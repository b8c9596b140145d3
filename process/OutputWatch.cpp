#include "process/OutputWatch.h"

#include <errno.h>
#include <string.h>

#include <iostream>

OutputWatch::OutputWatch(std::ostream& stream, const std::string& name)
    : fStream(stream), fTarget(stream.rdbuf()), fName(name) {
  fStream.rdbuf(this);
}

OutputWatch::~OutputWatch() { fStream.rdbuf(fTarget); }

bool OutputWatch::finish(const std::string& program) {
  fStream.flush();
  if (fError == 0 && fStream.good()) return true;
  std::cerr << program << ": cannot write to " << fName << ": " << strerror(fError != 0 ? fError : EIO)
            << std::endl;
  return false;
}

OutputWatch::int_type OutputWatch::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return sync() == 0 ? traits_type::not_eof(c) : traits_type::eof();
  const int_type written = fTarget->sputc(traits_type::to_char_type(c));
  return noteFailure(traits_type::eq_int_type(written, traits_type::eof())) ? traits_type::eof() : c;
}

std::streamsize OutputWatch::xsputn(const char* text, std::streamsize count) {
  const std::streamsize written = fTarget->sputn(text, count);
  noteFailure(written != count);
  return written;
}

int OutputWatch::sync() { return noteFailure(fTarget->pubsync() != 0) ? -1 : 0; }

bool OutputWatch::noteFailure(bool failed) {
  if (failed && fError == 0) fError = errno;
  return failed;
}
