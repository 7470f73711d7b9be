// The move value, the fixed-capacity list legal generation fills, and UCI move text.
#pragma once

#include <array>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "core/enum_list.hpp"
#include "core/types.hpp"
#include "error/error.hpp"

namespace vorn {

// How a castling move is written in UCI text, by the names Python gives the two ways.
#define VORN_CASTLING_STYLES(X) X(KingToRook, "king_to_rook") X(KingTwoSquares, "king_two_squares")
VORN_NAMED_ENUM(CastlingStyle, VORN_CASTLING_STYLES)

// Aligned as the 32-bit word it is, so the compiler moves it whole rather
// than byte by byte, as it does with an aggregate of bytes.
struct alignas(4) Move {
  static constexpr std::uint8_t kCapture = 1;
  static constexpr std::uint8_t kEnPassant = 2;  // always together with kCapture
  static constexpr std::uint8_t kCastling = 4;
  static constexpr std::uint8_t kNoPromotion = 255;
  // Flags no move carries: "no move" in an answer given as one word, which
  // stays in a register where an optional would go through memory.
  static constexpr std::uint8_t kAbsent = 255;

  // Four bytes in this order, so the move is one 32-bit word.
  std::uint8_t promotion_byte = kNoPromotion;
  Square from{};
  Square to{};  // for castling: the square of the king's own rook
  std::uint8_t flags = 0;

  constexpr std::optional<Role> promotion() const {
    if (promotion_byte < 6) return Role(promotion_byte);
    return std::nullopt;
  }
  constexpr bool is_capture() const { return flags & kCapture; }
  constexpr bool is_en_passant() const { return flags & kEnPassant; }
  constexpr bool is_castling() const { return flags & kCastling; }
  constexpr bool absent() const { return flags == kAbsent; }
  // Origin, destination and promotion; the flags take no part.
  constexpr bool same_action(const Move& o) const {
    return from == o.from && to == o.to && promotion_byte == o.promotion_byte;
  }

  static constexpr Move none() { return {kNoPromotion, {}, {}, kAbsent}; }
  static constexpr Move make(Square from, Square to, std::uint8_t flags = 0,
                             std::optional<Role> promotion = std::nullopt) {
    return {promotion ? std::uint8_t(*promotion) : kNoPromotion, from, to, flags};
  }
};
static_assert(sizeof(Move) == 4);

// The UCI text of a move: the castling king lands on its rook's square or, in
// king_two_squares style, on file g or c.
std::string move_uci(Move m, CastlingStyle style);
// Where a castling king stands after castling: file g or c of its rank.
Square castling_king_target(Move m);
// Bare UCI text with no position: flags 0.
std::expected<Move, ParseError> parse_move(std::string_view text);

class MoveList {
 public:
  // More than any position has: at most 15 units besides the king, none with
  // more than 27 moves (a queen; a pawn has 12 at most, promotions counted),
  // and the king's 8 steps and 2 castlings. So generation writes through a
  // cursor and never asks for room.
  static constexpr std::size_t kCapacity = 15 * 27 + 10;

  // The entries stay unwritten until pushed: a list is made for every
  // generation, and clearing 1 KB each time would cost more than most.
  MoveList() {}

  void push(Move m) {
    if (size_ == kCapacity) panic("move list overflow");
    moves_[size_++] = m;
  }
  // Generation's cursor: where the next move goes, then how far it wrote.
  Move* tail() { return moves_.data() + size_; }
  void set_tail(const Move* end) { size_ = std::size_t(end - moves_.data()); }
  void clear() { size_ = 0; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const Move& operator[](std::size_t i) const { return moves_[i]; }
  const Move* begin() const { return moves_.data(); }
  const Move* end() const { return moves_.data() + size_; }

 private:
  union {
    std::array<Move, kCapacity> moves_;
  };
  std::size_t size_ = 0;
};

}  // namespace vorn
