#include <algorithm>

#include "facts/compute.hpp"
#include "facts/endgame.hpp"
#include "facts/exchange.hpp"
#include "facts/king.hpp"
#include "facts/pawns.hpp"
#include "facts/pieces.hpp"
#include "facts/scan.hpp"
#include "facts/tactics.hpp"
#include "facts/threats.hpp"
#include "facts/worth.hpp"

namespace vorn::facts {

namespace {

PlacementFacts placement_facts(const Scan& scan) {
  PlacementFacts f{};
  for (const Colour c : kColours) {
    f.units[c] = scan.occupied[c];
    f.pawns[c] = scan.of_role(c, Role::Pawn);
    f.knights[c] = scan.of_role(c, Role::Knight);
    f.bishops[c] = scan.of_role(c, Role::Bishop);
    f.rooks[c] = scan.of_role(c, Role::Rook);
    f.queens[c] = scan.of_role(c, Role::Queen);
    f.kings[c] = scan.of_role(c, Role::King);
  }
  return f;
}

StateFacts state_facts(const Position& p, const MoveList& moves) {
  const board::Board& b = p.board;
  StateFacts f{};
  f.in_check = bool(b.checkers());
  f.double_check = b.checkers().more_than_one();
  for (const Colour c : kColours) {
    f.can_castle_short[c] = b.castling().get(c, Wing::Short).has_value();
    f.can_castle_long[c] = b.castling().get(c, Wing::Long).has_value();
  }
  f.en_passant = b.en_passant();
  f.en_passant_capture_legal =
      std::any_of(moves.begin(), moves.end(), [](Move m) { return m.is_en_passant(); });
  return f;
}

MaterialFacts material_facts(const Scan& scan) {
  MaterialFacts f{};
  std::int64_t phase = 0;
  for (const Colour c : kColours) {
    const auto count = [&](Role r) { return scan.of_role(c, r).size(); };
    f.pawns[c] = capped<std::uint8_t>(count(Role::Pawn));
    f.knights[c] = capped<std::uint8_t>(count(Role::Knight));
    f.bishops[c] = capped<std::uint8_t>(count(Role::Bishop));
    f.rooks[c] = capped<std::uint8_t>(count(Role::Rook));
    f.queens[c] = capped<std::uint8_t>(count(Role::Queen));
    f.non_pawn_value[c] = 3 * count(Role::Knight) + 3 * count(Role::Bishop) +
                          5 * count(Role::Rook) + 9 * count(Role::Queen);
    f.value[c] = f.non_pawn_value[c] + count(Role::Pawn);
    phase += count(Role::Knight) + count(Role::Bishop) + 2 * count(Role::Rook) + 4 * count(Role::Queen);
    const SquareSet bishops = scan.of_role(c, Role::Bishop);
    f.insufficient_material[c] =
        !count(Role::Pawn) && !count(Role::Rook) && !count(Role::Queen) &&
        (count(Role::Knight) + count(Role::Bishop) < 2 ||
         (!count(Role::Knight) && bishops.on_one_square_colour()));
  }
  f.phase_points = capped<std::uint8_t>(phase);
  f.both_queens = f.queens.white && f.queens.black;
  f.pawns_only = !scan.pieces(Colour::White) && !scan.pieces(Colour::Black);
  return f;
}

HistoryFacts position_history(const Position& p) {
  HistoryFacts f{};
  f.halfmove_clock = p.halfmove_clock;
  f.halfmove_known = p.clocks_known;
  return f;
}

}  // namespace

void compute(Facts& out, const Position& p, const Variant& v, Scratch& scratch,
             AnnotatedMoves* per_move) {
  const Scan scan = Scan::of(p);
  const Colour us = scan.side_to_move;
  out.attacks = attack_facts(scan);
  out.pawns = pawn_facts(scan);
  out.pieces = piece_facts(scan, out.pawns);
  out.king = king_facts(scan);
  out.mobility = mobility_facts(scan);

  MoveList& moves = scratch.own;
  moves.clear();
  v.legal_moves(p, moves);
  out.tactics = {};
  out.exchange = {};
  const auto side = [&](const Position& in, Colour c, const MoveList& list, AnnotatedMoves* records) {
    tactics({v, in, scan, c, out.attacks, out.pawns, out.king, list}, records, out.tactics);
    exchange::exchange_facts(in, list, c, out.exchange);
  };
  side(p, us, moves, per_move);
  if (const auto passed = p.board.null_move()) {
    const Position null{*passed, p.halfmove_clock, p.fullmove_number, p.clocks_known};
    MoveList& replies = scratch.other;
    replies.clear();
    v.legal_moves(null, replies);
    side(null, !us, replies, nullptr);
  }
  out.material = material_facts(scan);
  out.threats = threat_facts(p, scan);
  out.endgame = endgame_facts(scan, out.pawns, out.pieces);
  out.variant = v.name();
  out.side_to_move = us;
  out.placement = placement_facts(scan);
  out.state = state_facts(p, moves);
  out.history = position_history(p);
  out.maps = {.controlled = out.attacks.controlled,
              .by_pawns = out.attacks.by_pawns,
              .hanging = out.attacks.hanging,
              .pinned = out.attacks.pinned,
              .threatened = out.threats.threatened};
}

}  // namespace vorn::facts
