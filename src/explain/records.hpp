// The explanation records: plain values saying why a rule applies or not
// (castling, en passant, pins, skewers) and which draws hold (repetition,
// the fifty-move clock, stalemate, material). Each kind that Python names
// comes from its list in kinds.def, with its name table.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "core/enum_list.hpp"
#include "core/types.hpp"
#include "explain/kinds.def"
#include "position/position.hpp"

namespace vorn::explain {

// An absolute pin: `pinned` may not leave the line between `pinner` and its king.
struct Pin {
  SquareSet ray;  // between pinner and king, both excluded
  Square pinned{};
  Square pinner{};
  Square king{};
  bool operator==(const Pin&) const = default;
};

// A slider attacking `front` with a less valuable unit of the same side behind it.
struct Skewer {
  SquareSet ray;  // between attacker and the unit behind, both excluded
  Square attacker{};
  Square front{};
  Square behind{};
  bool operator==(const Skewer&) const = default;
};

// A square and the enemy units covering it.
struct CoveredSquare {
  Square square{};
  SquareSet attackers;
  bool operator==(const CoveredSquare&) const = default;
};

struct Castling {
  std::vector<CoveredSquare> path_attacked;  // ascending squares
  SquareSet king_in_check_by;
  SquareSet path_blocked;
  Colour colour = Colour::White;
  Wing wing = Wing::Short;
  bool right = false;
  bool rook_present = false;
  bool allowed = false;  // exactly when the castling move is legal
  bool operator==(const Castling&) const = default;
};

// Why an en-passant capture is not legal.
struct ExposesKing {
  Square attacker{};  // the lowest unit the two pawns uncover
  bool operator==(const ExposesKing&) const = default;
};
struct InCheck {
  SquareSet by;  // every checker
  bool operator==(const InCheck&) const = default;
};
VORN_NAMED_VARIANT(EpObstacle, VORN_EP_OBSTACLES)

struct EpCapture {
  std::optional<EpObstacle> forbidden_by;  // only for a capture that is not legal
  Square origin{};
  bool legal = false;
  bool operator==(const EpCapture&) const = default;
};

struct EnPassant {
  std::vector<EpCapture> captures;  // the file-1 neighbour first
  Square target{};                // the square the pawn skipped
  bool operator==(const EnPassant&) const = default;
};

VORN_NAMED_ENUM(Difference, VORN_DIFFERENCES)

// An earlier ply with the same placement that does not count as a repetition.
struct NearMiss {
  std::vector<Difference> differs;  // in enum order, never empty
  std::uint32_t ply = 0;
  bool operator==(const NearMiss&) const = default;
};

struct Repetition {
  std::vector<std::uint32_t> plies;  // ascending, the current ply last
  std::vector<NearMiss> near_misses;  // ascending plies
  std::uint32_t count = 0;            // the length of plies
  bool operator==(const Repetition&) const = default;
};

VORN_NAMED_ENUM(ResetKind, VORN_RESET_KINDS)

// The last move of a game that set the halfmove clock to 0.
struct Reset {
  std::uint32_t ply = 0;  // the ply that move produced
  ResetKind kind = ResetKind::Capture;
  bool operator==(const Reset&) const = default;
};

struct FiftyMove {
  std::uint32_t clock = 0;
  std::uint32_t plies_to_claim = 0;      // 0 once clock >= 100
  std::uint32_t plies_to_automatic = 0;  // 0 once clock >= 150
  std::optional<Reset> last_reset;       // none when no move of the game reset it
  bool operator==(const FiftyMove&) const = default;
};

// What holds a unit of a stalemated side.
struct Blocked {  // no pseudo-legal move at all
  bool operator==(const Blocked&) const = default;
};
struct NoMoves {  // pseudo-legal moves, none of them legal
  bool operator==(const NoMoves&) const = default;
};
VORN_NAMED_VARIANT(Stuck, VORN_STUCK_KINDS)

struct StuckUnit {
  Square square{};
  Stuck stuck;
  bool operator==(const StuckUnit&) const = default;
};

struct StalemateDetail {
  Square king{};
  std::vector<CoveredSquare> flight_squares;  // ascending; covered computed without the king
  std::vector<StuckUnit> stuck_units;          // every other unit of the side to move, ascending
  bool operator==(const StalemateDetail&) const = default;
};

VORN_NAMED_ENUM(Material, VORN_INSUFFICIENT_MATERIALS)

// Alternatives in kind order: stalemate, insufficient material, fivefold, seventy-five.
VORN_NAMED_VARIANT(AutomaticDraw, VORN_AUTOMATIC_DRAWS)

// Alternatives in the order of a game's claim codes (DrawClaim): fifty moves, threefold.
VORN_NAMED_VARIANT(ClaimableDraw, VORN_CLAIMABLE_DRAWS)

struct DrawStatus {
  std::vector<AutomaticDraw> automatic;  // stalemate, material, fivefold, seventy-five
  std::vector<ClaimableDraw> claimable;  // threefold first, fifty moves second
  bool operator==(const DrawStatus&) const = default;
};

}  // namespace vorn::explain
