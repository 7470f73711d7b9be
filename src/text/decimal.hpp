// The fewest significant digits that read back as the same double or float,
// with the decimal point's place: the one source of number text for JSON and
// for messages that quote a number.
#pragma once

#include <array>
#include <string_view>

namespace vorn {

struct Decimal {
  bool negative = false;
  std::array<char, 17> buffer{};  // a double needs 17 significant digits at most
  int size = 0;
  int point = 0;  // the value is 0.digits × 10^point

  std::string_view digits() const { return {buffer.data(), std::size_t(size)}; }
};

// Finite values only; zero gives the single digit "0" with point 1.
// Trailing zeros are never among the digits.
Decimal shortest_decimal(double value);
Decimal shortest_decimal(float value);

}  // namespace vorn
