// FEN text in both directions.
#pragma once

#include <expected>
#include <string>
#include <string_view>

#include "error/error.hpp"
#include "position/position.hpp"

namespace vorn::fen {

std::expected<Position, FenError> parse(std::string_view text);
std::string format(const Position& position, bool with_clocks);
// "-", KQkq letters, or rook-file letters when any rook is off its corner.
std::string castling_field(const CastlingRights& rights);

}  // namespace vorn::fen
