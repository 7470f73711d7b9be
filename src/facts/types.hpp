// The parsed form of a catalogue type text, and what it says about the array
// a field becomes: element type, shape, axes and how coded values are coded.
#pragma once

#include <cstdint>
#include <expected>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vorn::facts::types {

enum class Kind : std::uint8_t { Bool, Int, Float, Named, SquareSet, FileSet, Optional, Fixed, ByColour };
// The kind words of the layout's JSON, by kind.
std::string_view kind_word(Kind kind);

// The types whose values are written as codes.
enum class Named : std::uint8_t { Role, File, Square, CastledSide, Opposition, DrawishMaterial };
std::string_view named_text(Named named);
// The code names, code 0 first.
std::span<const std::string_view> codes(Named named);

// How the values of a fixed-length run are ordered.
enum class Run : std::uint8_t { PerFile, PerRank, Array };
std::string_view run_word(Run run);
std::string_view order_text(Run run);

// An element type of an array.
struct Dtype {
  enum class Base : std::uint8_t { Bool, Uint, Int, Float32 };
  Base base = Base::Bool;
  unsigned bits = 0;  // for Uint and Int

  std::string text() const;  // "bool", "uint8", "int16", "float32"
};

struct FieldType {
  Kind kind = Kind::Bool;
  bool is_signed = false;    // Int
  unsigned bits = 0;         // Int: 8, 16 or 32
  Named named = Named::Role;  // Named
  Run run = Run::Array;      // Fixed
  std::uint64_t len = 0;     // Fixed
  std::unique_ptr<const FieldType> item;  // Optional, Fixed, ByColour

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

// A type text ("ByColour<[Option<u8>; 3]>", white space allowed anywhere), or
// why it names no type.
std::expected<FieldType, std::string> parse(std::string_view text);

}  // namespace vorn::facts::types
