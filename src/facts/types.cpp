#include "facts/types.hpp"

namespace vorn::facts::types {

namespace {

constexpr std::string_view kAbsent = "\u2212" "1 where the value is absent";

}  // namespace

std::string Dtype::text() const {
  switch (base) {
    case Base::Bool: return "bool";
    case Base::Uint: return "uint" + std::to_string(bits);
    case Base::Int: return "int" + std::to_string(bits);
    case Base::Float32: return "float32";
  }
  return {};
}

Dtype FieldType::dtype() const {
  switch (kind) {
    case Kind::Bool:
    case Kind::SquareSet:
    case Kind::FileSet: return {Dtype::Base::Bool};
    case Kind::Int: return {is_signed ? Dtype::Base::Int : Dtype::Base::Uint, bits};
    case Kind::Float: return {Dtype::Base::Float32};
    case Kind::Named: return {Dtype::Base::Uint, 8};
    case Kind::Optional: return {Dtype::Base::Int, 16};
    case Kind::Fixed:
    case Kind::ByColour: return item->dtype();
  }
  return {};
}

std::vector<std::size_t> FieldType::shape() const {
  std::vector<std::size_t> out;
  if (kind == Kind::SquareSet) out.push_back(64);
  if (kind == Kind::FileSet) out.push_back(8);
  if (kind == Kind::Fixed || kind == Kind::ByColour) {
    out.push_back(kind == Kind::ByColour ? 2 : std::size_t(len));
    const auto inner = item->shape();
    out.insert(out.end(), inner.begin(), inner.end());
  }
  return out;
}

void FieldType::axes(std::vector<std::string>& out) const {
  const auto axis = [&](std::string_view what) {
    out.push_back("axis " + std::to_string(out.size() + 1) + ": " + std::string(what));
  };
  if (kind == Kind::SquareSet) axis("the 64 squares, a1 first, then b1 through h1, then a2");
  if (kind == Kind::FileSet) axis("the eight files, file a first");
  if (kind == Kind::Fixed || kind == Kind::ByColour) {
    axis(kind == Kind::ByColour ? "white, black" : order_text(run));
    item->axes(out);
  }
}

std::optional<std::string> FieldType::encoding() const {
  switch (kind) {
    case Kind::Named: {
      std::string text = std::string(named) + " as its code: ";
      for (std::size_t code = 0; code < codes.size(); ++code) {
        if (code > 0) text += ", ";
        text += std::to_string(code) + " = " + std::string(codes[code]);
      }
      return text;
    }
    case Kind::Optional: {
      const auto inner = item->encoding();
      return inner ? std::string(kAbsent) + ", otherwise " + *inner : std::string(kAbsent);
    }
    case Kind::Fixed:
    case Kind::ByColour: return item->encoding();
    default: return std::nullopt;
  }
}

const FieldType& FieldType::leaf() const {
  return kind == Kind::Fixed || kind == Kind::ByColour ? item->leaf() : *this;
}

Dtype FieldType::packed_dtype() const {
  switch (leaf().kind) {
    case Kind::Bool:
    case Kind::FileSet: return {Dtype::Base::Uint, 8};
    case Kind::SquareSet: return {Dtype::Base::Uint, 64};
    default: return dtype();
  }
}

std::optional<std::vector<std::size_t>> FieldType::packed_shape() const {
  const Kind leaf_kind = leaf().kind;
  if (leaf_kind == Kind::Bool) return std::nullopt;
  auto out = shape();
  if (leaf_kind == Kind::SquareSet || leaf_kind == Kind::FileSet) out.pop_back();
  return out;
}

}  // namespace vorn::facts::types
