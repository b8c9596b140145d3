// A message handed to an output at the cable's pace: in pieces of the output's size, each only when the cable has
// carried the one before, and whole to an output that takes whole messages only.
#include <gtest/gtest.h>

#include "midi/CablePace.h"

namespace {

using Clock = CablePace::Clock;

// Keeps each piece with the moment it was handed over.
struct RecordingOutput : MidiOutput {
  explicit RecordingOutput(std::size_t piece) : piece(piece) {}
  Result<> send(const MidiBytes& bytes) override {
    pieces.push_back({Clock::now(), bytes});
    return Done();
  }
  std::size_t pieceSize() const override { return piece; }
  std::size_t piece;
  std::vector<std::pair<Clock::time_point, MidiBytes>> pieces;
};

TEST(CablePace, HandsOverPiecesNoFasterThanTheCableCarriesThem) {
  MidiBytes message(1000, 0x11);
  message.front() = 0xF0;
  message.back() = 0xF7;
  const struct {
    std::size_t piece;
    std::vector<std::size_t> sizes;
  } cases[] = {{256, {256, 256, 256, 232}}, {0, {1000}}};
  for (const auto& c : cases) {
    RecordingOutput output(c.piece);
    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(CablePace::send(output, message, [] { return std::string(); }));
    const Clock::time_point end = Clock::now();
    MidiBytes joined;
    std::vector<std::size_t> sizes;
    for (std::size_t i = 0; i < output.pieces.size(); ++i) {
      const MidiBytes& piece = output.pieces[i].second;
      joined.insert(joined.end(), piece.begin(), piece.end());
      sizes.push_back(piece.size());
      if (i == 0) continue;
      EXPECT_GE(output.pieces[i].first - output.pieces[i - 1].first,
                CablePace::wireTime(output.pieces[i - 1].second.size()))
          << "piece " << i << " before the cable took the one before";
    }
    EXPECT_EQ(sizes, c.sizes);
    EXPECT_EQ(joined, message);
    EXPECT_GE(end - start, CablePace::wireTime(message.size())) << "returned before the last byte was carried";
  }
  EXPECT_EQ(CablePace::wireTime(256), std::chrono::microseconds(81920));
}

TEST(CablePace, AHaltEndsTheWaitWithItsReason) {
  RecordingOutput output(256);
  const Result<> sent = CablePace::send(output, MidiBytes(4096, 0x11), [] { return std::string("the port went away"); });
  EXPECT_EQ(sent.error(), "the port went away");
  EXPECT_EQ(output.pieces.size(), 1u);
}

}  // namespace
