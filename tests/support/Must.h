// must(): the value of a MIDI call that a test needs to succeed; a failure
// fails the test with its text, and hands back the value's default.
#ifndef PMCKEYS_TESTS_SUPPORT_MUST_H
#define PMCKEYS_TESTS_SUPPORT_MUST_H

#include <gtest/gtest.h>

#include <utility>

#include "midi/Result.h"

template <typename T>
T must(Result<T> result) {
  EXPECT_TRUE(result) << result.error();
  return std::move(result.value());
}

#endif
