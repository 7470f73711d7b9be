// Small value types every other module speaks in: colours, roles, files,
// ranks, squares, square and file sets, and per-side pairs.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/enum_list.hpp"

namespace vorn {

// Each colour with its name and the word a sentence names it by.
#define VORN_COLOURS(X) X(White, "white", "White") X(Black, "black", "Black")
VORN_ENUM(Colour, VORN_COLOURS)
// Each role with its lower-case letter and its word in sentences.
#define VORN_ROLES(X)                                                                         \
  X(Pawn, 'p', "pawn") X(Knight, 'n', "knight") X(Bishop, 'b', "bishop") X(Rook, 'r', "rook") \
  X(Queen, 'q', "queen") X(King, 'k', "king")
VORN_ENUM(Role, VORN_ROLES)
VORN_ENUM_TEXT(role_word, Role, VORN_ROLES, VORN_COLUMN_3)

// Files, ranks and squares are distinct types, so that a file never stands in
// for a rank; `index` and the explicit casts below are the integer boundaries.
enum class File : std::uint8_t { A, B, C, D, E, F, G, H };
enum class Rank : std::uint8_t { First, Second, Third, Fourth, Fifth, Sixth, Seventh, Eighth };
// Numbered rank by rank from a1, as the bits of a SquareSet.
enum class Square : std::uint8_t {
  A1, B1, C1, D1, E1, F1, G1, H1,
  A2, B2, C2, D2, E2, F2, G2, H2,
  A3, B3, C3, D3, E3, F3, G3, H3,
  A4, B4, C4, D4, E4, F4, G4, H4,
  A5, B5, C5, D5, E5, F5, G5, H5,
  A6, B6, C6, D6, E6, F6, G6, H6,
  A7, B7, C7, D7, E7, F7, G7, H7,
  A8, B8, C8, D8, E8, F8, G8, H8,
};


constexpr Colour operator!(Colour c) { return Colour(std::uint8_t(c) ^ 1); }
constexpr int index(Colour c) { return int(c); }
constexpr int index(Role r) { return int(r); }

constexpr int index(File f) { return int(f); }
constexpr int index(Rank r) { return int(r); }
constexpr int index(Square s) { return int(s); }

constexpr File file_of(Square s) { return File(index(s) & 7); }
constexpr Rank rank_of(Square s) { return Rank(index(s) >> 3); }
constexpr Square square_at(File f, Rank r) { return Square(index(r) * 8 + index(f)); }
// The rank counted from `c`'s own back rank.
constexpr Rank relative_rank(Colour c, Rank r) {
  return c == Colour::White ? r : Rank(7 - index(r));
}
constexpr Rank back_rank(Colour c) { return relative_rank(c, Rank::First); }
// The square `files` files right and `ranks` ranks up; none when off the board.
constexpr std::optional<Square> offset(Square s, int files, int ranks) {
  const int f = index(file_of(s)) + files, r = index(rank_of(s)) + ranks;
  if (f < 0 || f > 7 || r < 0 || r > 7) return std::nullopt;
  return square_at(File(f), Rank(r));
}
// Whether a square read from outside names one of the 64.
constexpr bool on_board(Square s) { return index(s) < 64; }
// The square `delta` places on in a1..h8 order; the caller knows it is on the board.
constexpr Square shift(Square s, int delta) { return Square(index(s) + delta); }

// Every value of an enum numbered 0..N-1, in order, to iterate over.
template <class T, std::size_t N>
constexpr std::array<T, N> every() {
  std::array<T, N> out{};
  for (std::size_t i = 0; i < N; ++i) out[i] = T(i);
  return out;
}
inline constexpr auto kColours = every<Colour, kColourCount>();
inline constexpr auto kRoles = every<Role, kRoleCount>();
inline constexpr auto kFiles = every<File, 8>();
inline constexpr auto kRanks = every<Rank, 8>();
inline constexpr auto kSquares = every<Square, 64>();

// The one name table of files and ranks; a square is named by both ("e4").
inline constexpr std::string_view kFileNames = "abcdefgh";
inline constexpr std::string_view kRankNames = "12345678";
constexpr char file_char(File f) { return kFileNames[index(f)]; }
constexpr char rank_char(Rank r) { return kRankNames[index(r)]; }

// Each byte's place in a list of distinct one-byte names, -1 for none, so
// reading a name back is one lookup.
using NamePlaces = std::array<std::int8_t, 256>;
constexpr NamePlaces name_places(std::string_view names) {
  NamePlaces places{};
  places.fill(-1);
  for (std::size_t i = 0; i < names.size(); ++i) places[static_cast<unsigned char>(names[i])] = std::int8_t(i);
  return places;
}
// The value whose name is the byte `c`; none when no name is.
template <class T>
constexpr std::optional<T> named_by(const NamePlaces& places, char c) {
  const int at = places[static_cast<unsigned char>(c)];
  if (at < 0) return std::nullopt;
  return T(at);
}

constexpr char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }
constexpr char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

// Lower-case letters by role number; the FEN letter of a White unit is upper case.
inline constexpr std::array<char, kRoleCount> kRoleLetterArray{VORN_ROLES(VORN_COLUMN_2)};
inline constexpr std::string_view kRoleLetters{kRoleLetterArray.data(), kRoleLetterArray.size()};
constexpr char role_letter(Role r) { return kRoleLetters[index(r)]; }
constexpr char role_fen_letter(Role r, Colour c) {
  return c == Colour::White ? ascii_upper(role_letter(r)) : role_letter(r);
}
VORN_ENUM_TABLE(std::string_view, kColourNames, Colour, VORN_COLOURS, VORN_COLUMN_2)
constexpr std::string_view colour_name(Colour c) { return kColourNames[index(c)]; }
VORN_ENUM_TEXT(colour_word, Colour, VORN_COLOURS, VORN_COLUMN_3)

struct SquareSet {
  std::uint64_t bits = 0;

  static constexpr SquareSet of(Square s) { return {std::uint64_t{1} << index(s)}; }
  static constexpr SquareSet full() { return {~std::uint64_t{0}}; }
  static constexpr SquareSet file(File f) { return {0x0101010101010101ULL << index(f)}; }
  static constexpr SquareSet rank(Rank r) { return {0xFFULL << (8 * index(r))}; }
  // The light squares: b1, d1, ..., a2, ...; a1 is dark.
  static constexpr SquareSet light() { return {0x55AA55AA55AA55AAULL}; }

  constexpr bool contains(Square s) const { return (bits >> index(s)) & 1; }
  constexpr bool empty() const { return bits == 0; }
  constexpr explicit operator bool() const { return bits != 0; }
  constexpr int size() const { return std::popcount(bits); }
  constexpr Square first() const { return Square(std::countr_zero(bits)); }
  constexpr bool more_than_one() const { return (bits & (bits - 1)) != 0; }
  constexpr bool is_subset(SquareSet o) const { return (bits & ~o.bits) == 0; }
  // Every member on light squares, or every one on dark squares; true when empty.
  constexpr bool on_one_square_colour() const { return is_subset(light()) || !(*this & light()); }
  constexpr SquareSet with(Square s) const { return {bits | of(s).bits}; }
  constexpr SquareSet without(Square s) const { return {bits & ~of(s).bits}; }

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

  constexpr bool contains(File f) const { return (bits >> index(f)) & 1; }
  constexpr explicit operator bool() const { return bits != 0; }
  constexpr int size() const { return std::popcount(bits); }
  constexpr bool is_subset(FileSet o) const { return (bits & ~o.bits) == 0; }
  constexpr FileSet with(File f) const { return {std::uint8_t(bits | (1u << index(f)))}; }

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

// Text forms read by the model's parsers; nullopt when the text is not one.
// The character and square readers are inline: move text reads several per move.
inline constexpr NamePlaces kFilePlaces = name_places(kFileNames), kRankPlaces = name_places(kRankNames);
std::optional<File> parse_file(std::string_view text);
// One character: a file letter in either case, or a rank digit.
constexpr std::optional<File> file_from_char(char c) { return named_by<File>(kFilePlaces, ascii_lower(c)); }
constexpr std::optional<Rank> rank_from_char(char c) { return named_by<Rank>(kRankPlaces, c); }
constexpr std::optional<Square> parse_square(std::string_view text) {
  if (text.size() != 2) return std::nullopt;
  const auto file = file_from_char(text[0]);
  const auto rank = rank_from_char(text[1]);
  if (!file || !rank) return std::nullopt;
  return square_at(*file, *rank);
}
std::optional<Role> parse_role(std::string_view text);

}  // namespace vorn
