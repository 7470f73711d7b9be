#include "facts/types.hpp"

#include <array>
#include <charconv>
#include <utility>

#include "core/types.hpp"
#include "facts/enums.hpp"
#include "text/unicode.hpp"
#include "text/utf8.hpp"

namespace vorn::facts::types {

namespace {

constexpr std::array<std::string_view, 9> kKindWords{"bool",       "int",      "float",    "named",    "square_set",
                                                     "file_set",   "optional", "fixed",    "by_colour"};

// One-letter texts out of a run of letters: "pnbrqk" gives "p", "n", ...
template <std::size_t N>
constexpr std::array<std::string_view, N> letters(std::string_view run) {
  std::array<std::string_view, N> out{};
  for (std::size_t i = 0; i < N; ++i) out[i] = run.substr(i, 1);
  return out;
}

constexpr auto kSquareNameText = [] {
  std::array<char, 128> text{};
  for (std::size_t s = 0; s < 64; ++s) {
    text[2 * s] = kFileNames[s % 8];
    text[2 * s + 1] = kRankNames[s / 8];
  }
  return text;
}();
constexpr auto kSquareCodes = [] {
  std::array<std::string_view, 64> out{};
  for (std::size_t s = 0; s < 64; ++s) out[s] = std::string_view(kSquareNameText.data() + 2 * s, 2);
  return out;
}();
constexpr auto kRoleCodes = letters<6>(kRoleLetters);
constexpr auto kFileCodes = letters<8>(kFileNames);

struct NamedRow {
  std::string_view text;
  std::span<const std::string_view> codes;
};
constexpr std::array<NamedRow, 6> kNamed{{
    {"Role", kRoleCodes},
    {"File", kFileCodes},
    {"Square", kSquareCodes},
    {"CastledSide", kCastledSideNames},
    {"Opposition", kOppositionNames},
    {"DrawishMaterial", kDrawishMaterialNames},
}};

struct RunRow {
  std::string_view word;
  std::string_view order;
};
constexpr std::array<RunRow, 3> kRuns{{
    {"per_file", "file a first, through file h"},
    {"per_rank", "rank 1 first, through rank 8"},
    {"array", "the order the fact's meaning states"},
}};

// The texts that name a type on their own.
struct ScalarRow {
  std::string_view text;
  Kind kind;
  bool is_signed = false;
  unsigned bits = 0;
  Named named = Named::Role;
};
constexpr std::array<ScalarRow, 16> kScalars{{
    {"bool", Kind::Bool},
    {"u8", Kind::Int, false, 8},
    {"i8", Kind::Int, true, 8},
    {"u16", Kind::Int, false, 16},
    {"i16", Kind::Int, true, 16},
    {"u32", Kind::Int, false, 32},
    {"i32", Kind::Int, true, 32},
    {"f32", Kind::Float},
    {"Role", Kind::Named, false, 0, Named::Role},
    {"File", Kind::Named, false, 0, Named::File},
    {"Square", Kind::Named, false, 0, Named::Square},
    {"CastledSide", Kind::Named, false, 0, Named::CastledSide},
    {"Opposition", Kind::Named, false, 0, Named::Opposition},
    {"DrawishMaterial", Kind::Named, false, 0, Named::DrawishMaterial},
    {"SquareSet", Kind::SquareSet},
    {"FileSet", Kind::FileSet},
}};

// The composite forms that wrap one type: prefix, kind, run and length.
struct WrapperRow {
  std::string_view prefix;
  Kind kind;
  Run run = Run::Array;
  std::uint64_t len = 0;
};
constexpr std::array<WrapperRow, 4> kWrappers{{
    {"ByColour<", Kind::ByColour},
    {"Option<", Kind::Optional},
    {"PerFile<", Kind::Fixed, Run::PerFile, 8},
    {"PerRank<", Kind::Fixed, Run::PerRank, 8},
}};

std::string without_white_space(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const utf8::Unit unit = utf8::decode(text, at);
    if (!unicode::is_white_space(unit.code)) out.append(text.substr(at, unit.length));
    at += unit.length;
  }
  return out;
}

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\n\r\f\v");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\n\r\f\v") - first + 1);
}

// An unsigned decimal number, one leading "+" allowed, within 64 bits.
std::optional<std::uint64_t> length_of(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

FieldType wrapping(FieldType item, Kind kind, Run run = Run::Array, std::uint64_t len = 0) {
  return FieldType{.kind = kind, .run = run, .len = len, .item = std::make_unique<const FieldType>(std::move(item))};
}

std::expected<FieldType, std::string> parse_compact(std::string_view text) {
  for (const WrapperRow& row : kWrappers) {
    if (text.size() > row.prefix.size() && text.starts_with(row.prefix) && text.ends_with('>')) {
      auto item = parse_compact(text.substr(row.prefix.size(), text.size() - row.prefix.size() - 1));
      if (!item) return std::unexpected(std::move(item.error()));
      return wrapping(std::move(*item), row.kind, row.run, row.len);
    }
  }
  if (text.size() >= 2 && text.starts_with('[') && text.ends_with(']')) {
    const std::string_view inside = text.substr(1, text.size() - 2);
    const auto split = inside.rfind(';');
    if (split == std::string_view::npos) return std::unexpected("an array without a length: " + std::string(text));
    const auto len = length_of(trimmed(inside.substr(split + 1)));
    if (!len) return std::unexpected("an array without a numeric length: " + std::string(text));
    auto item = parse_compact(inside.substr(0, split));
    if (!item) return std::unexpected(std::move(item.error()));
    return wrapping(std::move(*item), Kind::Fixed, Run::Array, *len);
  }
  for (const ScalarRow& row : kScalars) {
    if (text == row.text) {
      return FieldType{.kind = row.kind, .is_signed = row.is_signed, .bits = row.bits, .named = row.named, .item = nullptr};
    }
  }
  return std::unexpected("no rule for the type " + std::string(text));
}

constexpr std::string_view kAbsent = "\u2212" "1 where the value is absent";

}  // namespace

std::string_view kind_word(Kind kind) { return kKindWords[std::size_t(kind)]; }
std::string_view named_text(Named named) { return kNamed[std::size_t(named)].text; }
std::span<const std::string_view> codes(Named named) { return kNamed[std::size_t(named)].codes; }
std::string_view run_word(Run run) { return kRuns[std::size_t(run)].word; }
std::string_view order_text(Run run) { return kRuns[std::size_t(run)].order; }

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
      std::string text = std::string(named_text(named)) + " as its code: ";
      const auto names = codes(named);
      for (std::size_t code = 0; code < names.size(); ++code) {
        if (code > 0) text += ", ";
        text += std::to_string(code) + " = " + std::string(names[code]);
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

std::expected<FieldType, std::string> parse(std::string_view text) {
  return parse_compact(trimmed(without_white_space(text)));
}

}  // namespace vorn::facts::types
