// What a fact's value type says about the array the field becomes: its kind,
// element type, shape, axes and how coded values are coded. Each value type
// describes itself at compile time (facts/value_type.hpp); this is the shape
// of that description and what the tensor layout reads from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/enum_list.hpp"

// (kind, word in the layout's JSON) rows.
#define VORN_FACT_KINDS(X)                                                                                   \
  X(Bool, "bool") X(Int, "int") X(Float, "float") X(Named, "named") X(SquareSet, "square_set")             \
  X(FileSet, "file_set") X(Optional, "optional") X(Fixed, "fixed") X(ByColour, "by_colour")

// (run, word, the order its values stand in) rows: how a fixed-length run is ordered.
#define VORN_FACT_RUNS(X)                                        \
  X(PerFile, "per_file", "file a first, through file h")        \
  X(PerRank, "per_rank", "rank 1 first, through rank 8")        \
  X(Array, "array", "the order the fact's meaning states")

namespace vorn::facts::types {

VORN_NAMED_ENUM(Kind, VORN_FACT_KINDS)
VORN_NAMED_ENUM(Run, VORN_FACT_RUNS)
VORN_ENUM_TEXT(order_text, Run, VORN_FACT_RUNS, VORN_COLUMN_3)

// An element type of an array.
struct Dtype {
  enum class Base : std::uint8_t { Bool, Uint, Int, Float32 };
  Base base = Base::Bool;
  unsigned bits = 0;  // for Uint and Int

  std::string text() const;  // "bool", "uint8", "int16", "float32"
};

// One value type, as a tree: a wrapper (Optional, Fixed, ByColour) points at
// the type it wraps.
struct FieldType {
  Kind kind = Kind::Bool;
  bool is_signed = false;                     // Int
  unsigned bits = 0;                          // Int: 8, 16 or 32
  std::string_view named = {};                // Named: the type's own text
  std::span<const std::string_view> codes{};  // Named: the code names, code 0 first
  Run run = Run::Array;                       // Fixed
  std::size_t len = 0;                        // Fixed
  const FieldType* item = nullptr;            // Optional, Fixed, ByColour

  Dtype dtype() const;
  std::vector<std::size_t> shape() const;
  // Appends this type's axis descriptions, numbered after those already there.
  void axes(std::vector<std::string>& out) const;
  std::optional<std::string> encoding() const;
  // The packed form: one mask per set, one byte per flag.
  Dtype packed_dtype() const;
  std::optional<std::vector<std::size_t>> packed_shape() const;

 private:
  const FieldType& leaf() const;
};

}  // namespace vorn::facts::types
