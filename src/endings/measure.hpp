// What classification reads off a board: the material signature and the
// evidence (pawn race, bishops, opposition).
#pragma once

#include <array>

#include "board/board.hpp"
#include "endings/endings.hpp"

namespace vorn::endings {

// The roles after the king in the order signatures write them, material
// sentences list them and equal values are compared by.
inline constexpr std::array<Role, 5> kRoleOrder{Role::Queen, Role::Rook, Role::Bishop,
                                                Role::Knight, Role::Pawn};

Signature signature_of(const board::Board& board);
Evidence evidence_of(const board::Board& board);

}  // namespace vorn::endings
