#include "facts/history.hpp"

#include "facts/compute.hpp"

#include <algorithm>

#include "facts/worth.hpp"

namespace vorn::facts {

namespace {

// White's material less Black's.
std::int32_t balance(const Position& p) {
  std::int32_t sum = 0;
  for (const Role r : kRoles)
    sum += value(r) * (p.board.pieces(r, Colour::White).size() - p.board.pieces(r, Colour::Black).size());
  return sum;
}

}  // namespace

HistoryFacts from_history(std::span<const Position> positions, std::span<const Move> moves) {
  if (positions.empty()) panic("a history holds its start");
  const std::size_t ply = moves.size();
  const std::size_t window = std::min<std::size_t>(8, ply);
  const Position& current = positions.back();
  HistoryFacts h{};
  h.known = true;
  h.halfmove_clock = current.halfmove_clock;
  h.halfmove_known = current.clocks_known;
  const auto gave_check = [&](std::size_t j) { return bool(positions[j + 1].board.checkers()); };
  for (std::size_t j = ply - window; j < ply; ++j) {
    if (moves[j].is_capture()) bump(h.captures_in_last_8);
    if (gave_check(j)) bump(h.checks_in_last_8);
  }
  h.quiet_plies = std::uint32_t(ply);
  for (std::size_t j = ply; j-- > 0;)
    if (moves[j].is_capture() || gave_check(j)) {
      h.quiet_plies = std::uint32_t(ply - 1 - j);
      break;
    }
  h.material_trend = balance(current) - balance(positions[ply - window]);
  if (ply > 0) {
    const Move last = moves[ply - 1];
    const Position& before = positions[ply - 1];
    h.last_move_mover = before.board.role_on(last.from);
    if (last.is_capture()) {
      const Square captured =
          last.is_en_passant() ? square_at(file_of(last.to), rank_of(last.from)) : last.to;
      h.last_move_victim = before.board.role_on(captured);
    }
  }
  return h;
}

void compute_game(Facts& out, const Game& game, Scratch& scratch) {
  const Position& current = game.current();
  compute(out, current, game.variant(), scratch, nullptr);
  out.history = from_history(game.positions(), game.moves());
  const std::uint64_t key = current.repetition_key();
  const auto& keys = game.keys();
  out.history.repetition_seen = std::count(keys.begin(), keys.end(), key) >= 2;
  MoveList& moves = scratch.own;
  moves.clear();
  game.variant().legal_moves(current, moves);
  for (const Move m : moves) {
    const std::uint64_t next = game.variant().play(current, m).repetition_key();
    if (std::find(keys.begin(), keys.end(), next) != keys.end()) {
      out.history.repetition_available = true;
      break;
    }
  }
}

}  // namespace vorn::facts
