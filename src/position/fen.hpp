// FEN text in both directions.
#pragma once

#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

#include "error/error.hpp"
#include "position/position.hpp"

namespace vorn::fen {

// How a full-move number of 0 is taken: refused, or read as 1, as PGN files
// from many programs carry it in their FEN tags.
enum class FullmoveZero : std::uint8_t { Refused, ReadAsOne };

std::expected<Position, FenError> parse(std::string_view text, FullmoveZero zero = FullmoveZero::Refused);
std::string format(const Position& position, bool with_clocks);
// "-", KQkq letters, or rook-file letters when any rook is off its corner.
std::string castling_field(const CastlingRights& rights);

}  // namespace vorn::fen
