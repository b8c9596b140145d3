// Result: what a call in midi/ or memory/ that may fail gives back, either
// its value or one line of text saying why not, written as pmckeys shows it
// after "pmckeys: ". A failure is made with Failed("why"), which turns into
// a Result of any type; Result<> (of Done) is a call with nothing to give
// back but the outcome. The Result owns its value and its text. Nothing
// here throws, so a Result may cross the MIDI module's boundary.
#ifndef PMCKEYS_MIDI_RESULT_H
#define PMCKEYS_MIDI_RESULT_H

#include <string>
#include <utility>

// The value of a call that gives back nothing but its outcome.
struct Done {};

// A failure on its way to a Result of whatever type the caller returns.
struct Failed {
  explicit Failed(std::string why) : error(std::move(why)) {}
  std::string error;
};

template <typename T = Done>
class Result {
public:
  Result(T value) : fValue(std::move(value)), fOk(true) {}  // NOLINT(google-explicit-constructor): `return value;`
  Result(const Failed& failure) : fError(failure.error) {}  // NOLINT(google-explicit-constructor)
  explicit operator bool() const { return fOk; }
  // The value of a success; a failure's is T's default.
  T& value() { return fValue; }
  const T& value() const { return fValue; }
  // Why it failed; "" for a success.
  const std::string& error() const { return fError; }

private:
  T fValue{};
  bool fOk = false;
  std::string fError;
};

// Done when `why` is empty, else the failure it names.
inline Result<> failureIf(const std::string& why) {
  if (why.empty()) return Done();
  return Failed(why);
}

#endif
