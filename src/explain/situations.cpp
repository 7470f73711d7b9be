#include "explain/situations.hpp"

#include <algorithm>

#include "board/attacks.hpp"
#include "board/movegen.hpp"
#include "error/error.hpp"
#include "variant/rules.hpp"

namespace vorn::explain {

namespace {

// The front unit of a skewer must be worth strictly more than the one behind;
// a king in front outweighs everything.
constexpr std::array<int, 6> kSkewerValues{1, 3, 3, 5, 9, 100};
constexpr std::array<Role, 3> kSliders{Role::Bishop, Role::Rook, Role::Queen};

int skewer_value(const board::Board& b, Square s) {
  const auto role = b.role_on(s);
  if (!role) panic("a unit stands on its own square");
  return kSkewerValues[index(*role)];
}

// Where the unit on `square` could go with checks and pins ignored (no
// castling); empty for an empty square.
SquareSet pseudo_moves(const board::Board& b, Square square) {
  const auto role = b.role_on(square);
  if (!role) return {};
  const Colour c = *b.colour_on(square);
  if (*role != Role::Pawn)
    return board::attacks_of(*role, square, c, b.occupied()) - b.colour(c);
  const auto target = b.en_passant_target();
  const SquareSet takeable = target ? SquareSet::of(*target) : SquareSet{};
  return board::pawn_targets(b, c, square) | (board::pawn_attacks(c, square) & takeable);
}

// Judged as if `colour` were to move. That cannot be set up while the other
// side is in check; then `otherwise` decides.
bool castling_legal(const board::Board& b, Colour colour, Move m, bool otherwise) {
  if (b.side_to_move() == colour) return b.is_legal(m);
  const auto turned = b.null_move();
  return turned ? turned->is_legal(m) : otherwise;
}

std::optional<EpObstacle> obstacle(const Position& p, const std::vector<Pin>& our_pins,
                                   Square origin, Square target, Square victim) {
  const auto& b = p.board;
  if (b.checkers()) return InCheck{b.checkers()};
  const auto pin = std::ranges::find(our_pins, origin, &Pin::pinned);
  if (pin != our_pins.end() && !pin->ray.contains(target)) return *pin;
  const Colour us = b.side_to_move();
  const Square king = b.king(us);
  const SquareSet after = b.occupied().without(origin).without(victim).with(target);
  const SquareSet uncovered = b.attackers(king, !us, after) -
                              b.attackers(king, !us, b.occupied()) - SquareSet::of(victim);
  if (uncovered) return ExposesKing{uncovered.first()};
  return std::nullopt;
}

}  // namespace

std::vector<Pin> pins(const Position& p, Colour colour) {
  const auto& b = p.board;
  const Square king = b.king(colour);
  const Colour enemy = !colour;
  const SquareSet queens = b.pieces(Role::Queen, enemy);
  const SquareSet candidates =
      ((b.pieces(Role::Bishop, enemy) | queens) & board::bishop_attacks(king, {})) |
      ((b.pieces(Role::Rook, enemy) | queens) & board::rook_attacks(king, {}));
  std::vector<Pin> out;
  for (Square pinner : candidates) {
    const SquareSet ray = board::between(pinner, king);
    const SquareSet inside = ray & b.occupied();
    if (inside.size() == 1 && (inside & b.colour(colour)))
      out.push_back({ray, inside.first(), pinner, king});
  }
  std::ranges::stable_sort(out, {}, &Pin::pinned);
  return out;
}

std::vector<Skewer> skewers(const Position& p, Colour colour) {
  const auto& b = p.board;
  const Colour enemy = !colour;
  const SquareSet own = b.colour(colour);
  const SquareSet occupied = b.occupied();
  std::vector<Skewer> out;
  for (Role role : kSliders) {
    for (Square attacker : b.pieces(role, enemy)) {
      const SquareSet seen = board::attacks_of(role, attacker, enemy, occupied);
      for (Square front : seen & own) {
        const SquareSet beyond =
            (board::attacks_of(role, attacker, enemy, occupied.without(front)) - seen) &
            board::line(attacker, front) & own;
        if (!beyond) continue;
        const Square behind = beyond.first();
        if (skewer_value(b, front) > skewer_value(b, behind))
          out.push_back({board::between(attacker, behind), attacker, front, behind});
      }
    }
  }
  std::ranges::stable_sort(out, {}, &Skewer::front);
  return out;
}

Castling castling(const Position& p, Colour colour, Wing wing) {
  const auto& b = p.board;
  const Square king = b.king(colour);
  const SquareSet occupied = b.occupied();
  Castling out;
  out.king_in_check_by = b.attackers(king, !colour, occupied);
  out.colour = colour;
  out.wing = wing;
  const auto file = b.castling().get(colour, wing);
  out.right = file.has_value();
  if (!file) return out;
  const Rank back = back_rank(colour);
  const Square rook = square_at(*file, back);
  out.rook_present = b.pieces(Role::Rook, colour).contains(rook);
  if (!out.rook_present) return out;

  const Square king_to = square_at(board::castled_king_file(wing), back);
  const Square rook_to = square_at(board::castled_rook_file(wing), back);
  const SquareSet king_path = board::between(king, king_to).with(king_to);
  const SquareSet rook_path = board::between(rook, rook_to).with(rook_to);
  out.path_blocked = ((king_path | rook_path) & occupied).without(king).without(rook);
  for (Square s : king_path.without(king))
    if (const SquareSet by = b.attackers(s, !colour, occupied))
      out.path_attacked.push_back({s, by});
  // A Chess960 rook can shield the king's landing square from a slider on the
  // back rank, so legality, not the fields above, decides.
  const bool unhindered = !out.king_in_check_by && out.path_attacked.empty() && !out.path_blocked;
  out.allowed = castling_legal(b, colour, Move::make(king, rook, Move::kCastling), unhindered);
  return out;
}

std::optional<EnPassant> en_passant_status(const Position& p) {
  const auto& b = p.board;
  const auto target = b.en_passant_target();
  if (!target) return std::nullopt;
  const Colour us = b.side_to_move();
  const Square victim = square_at(file_of(*target), relative_rank(us, Rank::Fifth));
  const std::vector<Pin> our_pins = pins(p, us);
  EnPassant out;
  out.target = *target;
  for (const int side : {-1, 1}) {
    const auto beside = offset(victim, side, 0);
    if (!beside || !b.pieces(Role::Pawn, us).contains(*beside)) continue;
    const Square origin = *beside;
    const bool legal =
        b.is_legal(Move::make(origin, *target, Move::kCapture | Move::kEnPassant));
    out.captures.push_back(
        {legal ? std::nullopt : obstacle(p, our_pins, origin, *target, victim), origin, legal});
  }
  return out;
}

StalemateDetail stalemate_detail(const Position& p) {
  const auto& b = p.board;
  const Colour us = b.side_to_move();
  StalemateDetail out;
  out.king = b.king(us);
  // Without the king, a slider's line through its square covers the square behind.
  const SquareSet without_king = b.occupied().without(out.king);
  for (Square s : board::king_attacks(out.king) - b.colour(us))
    out.flight_squares.push_back({s, b.attackers(s, !us, without_king)});
  const std::vector<Pin> our_pins = pins(p, us);
  for (Square s : b.colour(us).without(out.king)) {
    const auto pin = std::ranges::find(our_pins, s, &Pin::pinned);
    const Stuck stuck = pin != our_pins.end()      ? Stuck{*pin}
                        : pseudo_moves(b, s).empty() ? Stuck{Blocked{}}
                                                     : Stuck{NoMoves{}};
    out.stuck_units.push_back({s, stuck});
  }
  return out;
}

std::optional<Material> insufficient_material(const Position& p) {
  if (!rules::insufficient_material(p)) return std::nullopt;
  const auto& b = p.board;
  if (b.pieces(Role::Knight)) return Material::KNVK;
  const int bishops = b.pieces(Role::Bishop).size();
  if (bishops < 2) return bishops == 0 ? Material::KVK : Material::KBVK;
  return Material::KBVKBSameColour;
}

}  // namespace vorn::explain
