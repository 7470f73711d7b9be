// The rules both variants share: play, outcome, start positions, move text.
#pragma once

#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "variant/variant.hpp"

namespace vorn::rules {

// Plays a legal move on `p` itself.
void play(Position& p, Move m);
std::optional<Outcome> outcome(const Position& p);
// Neither side can mate by any series of legal moves, judged by material alone.
bool insufficient_material(const Position& p);
// The Chess960 start position of Scharnagl number `number` (518 = standard).
Position start_position(std::uint64_t number);
bool has_classic_castling(const Position& p);

std::expected<Move, MoveParseError> move_from_uci(const Variant& v, const Position& p,
                                                  std::string_view text);
std::string move_to_san(const Variant& v, const Position& p, Move m);
std::optional<MoveParseError> read_san(const Position& p, std::string_view text, Move& out);

}  // namespace vorn::rules
