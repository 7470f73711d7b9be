// Reads catalogue type texts, one per line, and prints for each what the
// tensor layout makes of it, tab-separated: the kind tree, dtype, shape,
// packed dtype, packed shape, encoding and axes; or "error" and the
// parser's refusal.
#include <iostream>
#include <string>

#include "facts/types.hpp"

namespace {

using namespace vorn::facts::types;

std::string tree(const FieldType& type) {
  std::string text(kind_word(type.kind));
  if (type.kind == Kind::Int) text += std::string(type.is_signed ? " i" : " u") + std::to_string(type.bits);
  if (type.kind == Kind::Named) text += " " + std::string(named_text(type.named));
  if (type.kind == Kind::Fixed) text += " " + std::string(run_word(type.run)) + " " + std::to_string(type.len);
  if (type.item) text += "(" + tree(*type.item) + ")";
  return text;
}

std::string listed(const std::vector<std::size_t>& sizes) {
  std::string text = "[";
  for (std::size_t i = 0; i < sizes.size(); ++i) text += (i > 0 ? "," : "") + std::to_string(sizes[i]);
  return text + "]";
}

}  // namespace

int main() {
  std::string line;
  while (std::getline(std::cin, line)) {
    const auto parsed = parse(line);
    if (!parsed) {
      std::cout << "error\t" << parsed.error() << "\n";
      continue;
    }
    std::vector<std::string> axes;
    parsed->axes(axes);
    std::string order;
    for (std::size_t i = 0; i < axes.size(); ++i) order += (i > 0 ? "; " : "") + axes[i];
    const auto packed = parsed->packed_shape();
    std::cout << tree(*parsed) << "\t" << parsed->dtype().text() << "\t" << listed(parsed->shape()) << "\t"
              << parsed->packed_dtype().text() << "\t" << (packed ? listed(*packed) : "null") << "\t"
              << parsed->encoding().value_or("null") << "\t" << order << "\n";
  }
}
