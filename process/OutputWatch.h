// OutputWatch: stands between an output stream and its buffer for one run
// and keeps the reason of the first write that failed. A failed write (a
// full disk, a reader that went away) must not cut the key work short, so
// nothing stops here; finish() reports it once, when the work is done.
//
// The constructor puts the watch in front of the stream's buffer, the
// destructor takes it away again; the buffer stays its owner's.
#ifndef PMCKEYS_PROCESS_OUTPUTWATCH_H
#define PMCKEYS_PROCESS_OUTPUTWATCH_H

#include <ostream>
#include <streambuf>
#include <string>

class OutputWatch : public std::streambuf {
public:
  // name: how the message calls the stream ("standard output").
  OutputWatch(std::ostream& stream, const std::string& name);
  ~OutputWatch() override;
  OutputWatch(const OutputWatch&) = delete;
  OutputWatch& operator=(const OutputWatch&) = delete;

  // Flushes the stream. When any write to it failed, writes
  // "<program>: cannot write to <name>: <reason>" on standard error and
  // returns false.
  bool finish(const std::string& program);

protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

private:
  // Keeps errno of the first failure; returns the failure flag.
  bool noteFailure(bool failed);

  std::ostream& fStream;
  std::streambuf* fTarget;
  std::string fName;
  int fError = 0;
};

#endif
