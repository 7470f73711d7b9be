#include "uci/limits.hpp"

#include <cmath>
#include <string_view>

#include "text/decimal.hpp"

namespace vorn::uci::protocol {

namespace {

__extension__ using u128 = unsigned __int128;  // GCC extension, quiet under -Wpedantic

// The value in the fewest significant digits that read back, laid out
// without an exponent: 2^64 reads 18446744073709552000. (A fixed-format
// to_chars would give the exact digits of a large value instead.)
std::string float_text(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  const Decimal d = shortest_decimal(value);
  const std::string_view digits = d.digits();
  const std::string sign = d.negative ? "-" : "";
  if (d.point <= 0) return sign + "0." + std::string(std::size_t(-d.point), '0') + std::string(digits);
  if (d.point >= d.size) return sign + std::string(digits) + std::string(std::size_t(d.point - d.size), '0');
  const auto point = std::size_t(d.point);
  return sign + std::string(digits.substr(0, point)) + "." + std::string(digits.substr(point));
}

// The nanoseconds in `fraction` (0 <= fraction < 1), exactly rounded to
// nearest with ties to even. The fraction is m / 2^k with m below 2^53, so
// m * 10^9 fits 128 bits and the division is a shift.
std::uint64_t rounded_nanos(double fraction) {
  if (fraction == 0) return 0;
  int exponent = 0;
  const double mantissa = std::frexp(fraction, &exponent);  // fraction = mantissa * 2^exponent
  const auto m = std::uint64_t(std::ldexp(mantissa, 53));
  const int k = 53 - exponent;
  if (k >= 120) return 0;  // m * 10^9 < 2^83: far below half a nanosecond
  const u128 product = u128(m) * 1'000'000'000u;
  const u128 quotient = product >> k;
  const u128 rest = product & ((u128(1) << k) - 1);
  const u128 half = u128(1) << (k - 1);
  const bool up = rest > half || (rest == half && (quotient & 1));
  return std::uint64_t(quotient) + (up ? 1 : 0);
}

}  // namespace

double Duration::to_seconds() const { return double(seconds) + double(nanos) / 1e9; }

std::string Duration::millis_text() const {
  const u128 ms = u128(seconds) * 1000 + nanos / 1'000'000;
  constexpr std::uint64_t kTen18 = 1'000'000'000'000'000'000ULL;
  const auto high = std::uint64_t(ms / kTen18);
  const auto low = std::uint64_t(ms % kTen18);
  if (high == 0) return std::to_string(low);
  const std::string digits = std::to_string(low);
  return std::to_string(high) + std::string(18 - digits.size(), '0') + digits;
}

std::expected<Duration, std::string> seconds(std::string_view name, double value) {
  constexpr double kLimit = 18446744073709551616.0;  // 2^64
  if (!(value >= 0 && value < kLimit))
    return std::unexpected(std::string(name) + " is a count of seconds, not " + float_text(value));
  const double whole = std::floor(value);
  const std::uint64_t nanos = rounded_nanos(value - whole);  // the subtraction is exact
  const auto secs = std::uint64_t(whole);
  // Rounding up to a full second cannot overflow: doubles this close to 2^64 have no fraction.
  return nanos == 1'000'000'000 ? Duration{secs + 1, 0} : Duration{secs, std::uint32_t(nanos)};
}

}  // namespace vorn::uci::protocol
