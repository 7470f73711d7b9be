// The bounds of a `go` command and the durations they are given in.
#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorn::uci::protocol {

// Whole seconds and the nanoseconds past them; seconds span the full 64 bits,
// so every finite non-negative time below 2^64 s fits.
struct Duration {
  std::uint64_t seconds = 0;
  std::uint32_t nanos = 0;  // 0 .. 999'999'999

  static constexpr Duration from_millis(std::uint64_t ms) {
    return {ms / 1000, std::uint32_t(ms % 1000 * 1'000'000)};
  }
  // Seconds as a float: seconds + nanos / 1e9.
  double to_seconds() const;
  // Whole milliseconds in decimal, the fraction dropped; never overflows.
  std::string millis_text() const;

  bool operator==(const Duration&) const = default;
};

// A Python number of seconds as a duration, nanoseconds rounded to nearest,
// ties to even. NaN, infinities, negative values and values of 2^64 s or more
// are refused with "{name} is a count of seconds, not {value}".
std::expected<Duration, std::string> seconds(std::string_view name, double value);

struct Limits {
  std::vector<std::string> search_moves;  // written as given, last on the line
  std::optional<std::uint32_t> moves_to_go;
  std::optional<std::uint32_t> depth;
  std::optional<std::uint64_t> nodes;
  std::optional<std::uint32_t> mate;
  std::optional<Duration> white_time;
  std::optional<Duration> black_time;
  std::optional<Duration> white_increment;
  std::optional<Duration> black_increment;
  std::optional<Duration> movetime;
  bool ponder = false;
  bool infinite = false;

  bool operator==(const Limits&) const = default;
};

}  // namespace vorn::uci::protocol
