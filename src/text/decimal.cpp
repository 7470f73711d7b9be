#include "text/decimal.hpp"

#include <charconv>
#include <iterator>

namespace vorn {

namespace {

// Shortest scientific text ("-d.ddde+XX") taken apart into sign, digits and point.
template <class Float>
Decimal decompose(Float value) {
  char text[32];
  const char* end =
      std::to_chars(std::begin(text), std::end(text), value, std::chars_format::scientific).ptr;
  Decimal out;
  const char* at = text;
  if (*at == '-') {
    out.negative = true;
    ++at;
  }
  for (; *at != 'e'; ++at)
    if (*at != '.') out.buffer[std::size_t(out.size++)] = *at;
  ++at;
  if (*at == '+') ++at;
  int exponent = 0;
  std::from_chars(at, end, exponent);
  out.point = exponent + 1;
  return out;
}

}  // namespace

Decimal shortest_decimal(double value) { return decompose(value); }
Decimal shortest_decimal(float value) { return decompose(value); }

}  // namespace vorn
