// One side's one-ply options, found by playing each of its legal moves and
// reading the position that results; on request the facts of every move.
#pragma once

#include <cstdint>
#include <optional>

#include "facts/compute.hpp"
#include "facts/scan.hpp"

namespace vorn::facts {

// What the tactics pass knows of one move once it has played it.
struct PlayedMove {
  Move move;
  Position child;
  Role mover = Role::Pawn;
  Role landing = Role::Pawn;  // the promotion role, else the mover
  Square destination{};       // the king's for castling
  std::optional<Role> victim{};
  bool safe = false;
  std::int32_t see = 0;
  bool hanging_capture = false;
  bool discovered_attack = false;
};

// What the pass reads of the position the side moves in.
struct TacticsInput {
  const Variant& variant;
  const Position& position;
  const Scan& scan;  // of the real position: a null move changes no unit
  Colour side;
  const AttackFacts& attacks;
  const PawnFacts& pawns;
  const KingFacts& king;
  const MoveList& moves;
};

void tactics(const TacticsInput& in, AnnotatedMoves* per_move, TacticsFacts& out);

}  // namespace vorn::facts
