// Small value types every other module speaks in: colours, roles, files,
// ranks, squares, square and file sets, and per-side pairs.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorn {

enum class Colour : std::uint8_t { White = 0, Black = 1 };
enum class Role : std::uint8_t { Pawn = 0, Knight, Bishop, Rook, Queen, King };

using File = std::uint8_t;    // 0 = file a .. 7 = file h
using Rank = std::uint8_t;    // 0 = rank 1 .. 7 = rank 8
using Square = std::uint8_t;  // rank * 8 + file: a1 = 0, h8 = 63

inline constexpr std::array<Colour, 2> kColours{Colour::White, Colour::Black};
inline constexpr std::array<Role, 6> kRoles{Role::Pawn, Role::Knight, Role::Bishop,
                                            Role::Rook, Role::Queen, Role::King};

constexpr Colour operator!(Colour c) { return Colour(std::uint8_t(c) ^ 1); }
constexpr int index(Colour c) { return int(c); }
constexpr int index(Role r) { return int(r); }

constexpr File file_of(Square s) { return File(s & 7); }
constexpr Rank rank_of(Square s) { return Rank(s >> 3); }
constexpr Square square_at(File f, Rank r) { return Square(r * 8 + f); }
// The rank counted from `c`'s own back rank.
constexpr Rank relative_rank(Colour c, Rank r) { return c == Colour::White ? r : Rank(7 - r); }
constexpr Rank back_rank(Colour c) { return c == Colour::White ? 0 : 7; }

constexpr char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }
constexpr char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

// Lower-case letters by role number; the FEN letter of a White unit is upper case.
inline constexpr std::string_view kRoleLetters = "pnbrqk";
constexpr char role_letter(Role r) { return kRoleLetters[index(r)]; }
constexpr char role_fen_letter(Role r, Colour c) {
  return c == Colour::White ? ascii_upper(role_letter(r)) : role_letter(r);
}
inline constexpr std::array<std::string_view, 2> kColourNames{"white", "black"};
constexpr std::string_view colour_name(Colour c) { return kColourNames[index(c)]; }

struct SquareSet {
  std::uint64_t bits = 0;

  static constexpr SquareSet of(Square s) { return {std::uint64_t{1} << s}; }
  static constexpr SquareSet full() { return {~std::uint64_t{0}}; }
  static constexpr SquareSet file(File f) { return {0x0101010101010101ULL << f}; }
  static constexpr SquareSet rank(Rank r) { return {0xFFULL << (8 * r)}; }
  // The light squares: b1, d1, ..., a2, ...; a1 is dark.
  static constexpr SquareSet light() { return {0x55AA55AA55AA55AAULL}; }

  constexpr bool contains(Square s) const { return (bits >> s) & 1; }
  constexpr bool empty() const { return bits == 0; }
  constexpr explicit operator bool() const { return bits != 0; }
  constexpr int size() const { return std::popcount(bits); }
  constexpr Square first() const { return Square(std::countr_zero(bits)); }
  constexpr bool more_than_one() const { return (bits & (bits - 1)) != 0; }
  constexpr bool is_subset(SquareSet o) const { return (bits & ~o.bits) == 0; }
  // Every member on light squares, or every one on dark squares; true when empty.
  constexpr bool on_one_square_colour() const { return is_subset(light()) || !(*this & light()); }
  constexpr SquareSet with(Square s) const { return {bits | (std::uint64_t{1} << s)}; }
  constexpr SquareSet without(Square s) const { return {bits & ~(std::uint64_t{1} << s)}; }

  constexpr SquareSet operator|(SquareSet o) const { return {bits | o.bits}; }
  constexpr SquareSet operator&(SquareSet o) const { return {bits & o.bits}; }
  constexpr SquareSet operator^(SquareSet o) const { return {bits ^ o.bits}; }
  constexpr SquareSet operator-(SquareSet o) const { return {bits & ~o.bits}; }
  constexpr SquareSet operator~() const { return {~bits}; }
  constexpr SquareSet& operator|=(SquareSet o) { bits |= o.bits; return *this; }
  constexpr SquareSet& operator&=(SquareSet o) { bits &= o.bits; return *this; }
  constexpr SquareSet& operator^=(SquareSet o) { bits ^= o.bits; return *this; }
  constexpr SquareSet& operator-=(SquareSet o) { bits &= ~o.bits; return *this; }
  constexpr bool operator==(const SquareSet&) const = default;

  // Members in ascending square order: a1, b1, ..., h8.
  struct Iterator {
    std::uint64_t rest;
    constexpr Square operator*() const { return Square(std::countr_zero(rest)); }
    constexpr Iterator& operator++() { rest &= rest - 1; return *this; }
    constexpr bool operator!=(const Iterator& o) const { return rest != o.rest; }
  };
  constexpr Iterator begin() const { return {bits}; }
  constexpr Iterator end() const { return {0}; }
};

struct FileSet {
  std::uint8_t bits = 0;

  constexpr bool contains(File f) const { return (bits >> f) & 1; }
  constexpr explicit operator bool() const { return bits != 0; }
  constexpr int size() const { return std::popcount(bits); }
  constexpr bool is_subset(FileSet o) const { return (bits & ~o.bits) == 0; }
  constexpr FileSet with(File f) const { return {std::uint8_t(bits | (1u << f))}; }

  constexpr FileSet operator|(FileSet o) const { return {std::uint8_t(bits | o.bits)}; }
  constexpr FileSet operator&(FileSet o) const { return {std::uint8_t(bits & o.bits)}; }
  constexpr FileSet operator-(FileSet o) const { return {std::uint8_t(bits & ~o.bits)}; }
  constexpr FileSet operator~() const { return {std::uint8_t(~bits)}; }
  constexpr bool operator==(const FileSet&) const = default;

  struct Iterator {
    std::uint8_t rest;
    constexpr File operator*() const { return File(std::countr_zero(rest)); }
    constexpr Iterator& operator++() { rest &= std::uint8_t(rest - 1); return *this; }
    constexpr bool operator!=(const Iterator& o) const { return rest != o.rest; }
  };
  constexpr Iterator begin() const { return {bits}; }
  constexpr Iterator end() const { return {0}; }
};

template <class T>
struct ByColour {
  T white{};
  T black{};

  constexpr T& operator[](Colour c) { return c == Colour::White ? white : black; }
  constexpr const T& operator[](Colour c) const { return c == Colour::White ? white : black; }
  template <class F>
  constexpr auto map(F&& f) const -> ByColour<decltype(f(white))> {
    auto w = f(white);
    auto b = f(black);
    return {std::move(w), std::move(b)};
  }
  constexpr bool operator==(const ByColour&) const = default;
};

// A text parser's refusal: the whole rejected input and the word naming what was expected.
struct ParseError {
  std::string text;
  std::string_view kind;
};

std::string square_name(Square s);
char file_char(File f);

// Text forms read by the model's parsers; nullopt when the text is not one.
std::optional<File> parse_file(std::string_view text);
std::optional<Square> parse_square(std::string_view text);
std::optional<Role> parse_role(std::string_view text);

}  // namespace vorn
