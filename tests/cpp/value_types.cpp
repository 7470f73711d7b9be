// Prints, for value types the catalogue uses and a few it could, what the
// compile-time description makes of each, tab-separated: the type text, the
// kind tree, dtype, shape, packed dtype, packed shape, encoding and axes.
#include <array>
#include <cstdint>
#include <iostream>
#include <optional>
#include <string>

#include "facts/value_type.hpp"

namespace {

using namespace vorn;
using namespace vorn::facts;
using types::FieldType;
using types::Kind;

std::string tree(const FieldType& type) {
  std::string text(name(type.kind));
  if (type.kind == Kind::Int) text += std::string(type.is_signed ? " i" : " u") + std::to_string(type.bits);
  if (type.kind == Kind::Named) text += " " + std::string(type.named);
  if (type.kind == Kind::Fixed) text += " " + std::string(name(type.run)) + " " + std::to_string(type.len);
  if (type.item != nullptr) text += "(" + tree(*type.item) + ")";
  return text;
}

std::string listed(const std::vector<std::size_t>& sizes) {
  std::string text = "[";
  for (std::size_t i = 0; i < sizes.size(); ++i) text += (i > 0 ? "," : "") + std::to_string(sizes[i]);
  return text + "]";
}

template <class T>
void print() {
  const FieldType& type = ValueType<T>::type;
  std::vector<std::string> axes;
  type.axes(axes);
  std::string order;
  for (std::size_t i = 0; i < axes.size(); ++i) order += (i > 0 ? "; " : "") + axes[i];
  const auto packed = type.packed_shape();
  std::cout << ValueType<T>::text << "\t" << tree(type) << "\t" << type.dtype().text() << "\t"
            << listed(type.shape()) << "\t" << type.packed_dtype().text() << "\t"
            << (packed ? listed(*packed) : "null") << "\t" << type.encoding().value_or("null") << "\t" << order
            << "\n";
}

}  // namespace

int main() {
  print<std::optional<Role>>();
  print<PerFile<std::int8_t>>();
  print<std::array<std::uint16_t, 2>>();
  print<std::array<std::int16_t, 12>>();
  print<ByColour<std::array<File, 3>>>();
  print<ByColour<SquareSet>>();
  print<std::optional<std::optional<CastledSide>>>();
  print<PerRank<ByColour<bool>>>();
}
