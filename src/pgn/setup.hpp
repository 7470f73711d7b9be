// Between records and played games: the variant and start position a
// record's "Variant" and "FEN" tags name, its main line replayed into a
// played game, and the record of a played game.
#pragma once

#include <expected>
#include <optional>
#include <string_view>
#include <utility>

#include "game/game.hpp"
#include "pgn/record.hpp"
#include "position/position.hpp"
#include "variant/variant.hpp"

namespace vorn::pgn {

struct Setup {
  const Variant* variant;
  Position start;
};

// Errors carry no place (line 0); the reader gives them one.
std::expected<Setup, PgnError> setup(const Headers& headers);
// The position a "FEN" tag names; a full-move number of 0 reads as 1.
std::expected<Position, FenError> tag_position(std::string_view fen);
// What setup refuses in the tag `name` holding `value`, whatever the other
// tags: a "Variant" naming no variant, a "FEN" that does not read.
std::optional<PgnError> tag_error(std::string_view name, std::string_view value);
std::expected<vorn::Game, PgnError> mainline_game(const Game& record);
// A seven-tag roster of placeholders, the result as the game stands, the
// variant and set-up tags it needs, and the SAN of every move.
Game from_game(const vorn::Game& game);

}  // namespace vorn::pgn
