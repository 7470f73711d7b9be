// Rule situations of one position: what stands in the way of castling and of
// an en-passant capture, absolute pins and skewers, why a stalemated side
// cannot move, and dead material.
#pragma once

#include <optional>
#include <vector>

#include "position/position.hpp"
#include "explain/records.hpp"

namespace vorn::explain {

// The pins against `colour`'s king, by pinned square ascending.
std::vector<Pin> pins(const Position& p, Colour colour);
// The skewers on `colour`'s units, by front square ascending.
std::vector<Skewer> skewers(const Position& p, Colour colour);
Castling castling(const Position& p, Colour colour, Wing wing);
// None when no pawn has just made a double step.
std::optional<EnPassant> en_passant_status(const Position& p);
// Why the side to move, assumed stalemated, has no move: the squares around
// its king and what holds every other unit.
StalemateDetail stalemate_detail(const Position& p);
// The material with which no sequence of moves can mate; none otherwise.
std::optional<Material> insufficient_material(const Position& p);

}  // namespace vorn::explain
