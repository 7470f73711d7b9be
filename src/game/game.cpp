#include "game/game.hpp"

#include <algorithm>
#include <atomic>

#include "explain/situations.hpp"
#include "position/fen.hpp"

namespace vorn {

namespace {

constexpr std::uint32_t kThreefold = 3;
constexpr std::uint32_t kFivefold = 5;
constexpr std::uint32_t kClaimPlies = 100;
constexpr std::uint32_t kAutomaticPlies = 150;

// Room for one more item, growing geometrically so appending stays cheap.
template <class T>
void room_for_one(std::vector<T>& items) {
  if (items.size() == items.capacity()) items.reserve(std::max<std::size_t>(16, 2 * items.size()));
}

bool is_mate(std::optional<Outcome> o) {
  return o == Outcome::WhiteMates || o == Outcome::BlackMates;
}

bool same_placement(const board::Board& a, const board::Board& b) {
  return a.roles() == b.roles() && a.colour(Colour::White) == b.colour(Colour::White) &&
         a.colour(Colour::Black) == b.colour(Colour::Black);
}

// The target of an en-passant capture some pawn may legally make; none otherwise.
std::optional<Square> legal_en_passant(const Position& p) {
  const auto status = explain::en_passant_status(p);
  if (!status || std::ranges::none_of(status->captures, &explain::EpCapture::legal))
    return std::nullopt;
  return status->target;
}

// What keeps `earlier`, of the same placement as `now`, from being the same position.
std::vector<explain::Difference> differences(const Position& now, const Position& earlier,
                                             std::optional<Square> now_en_passant) {
  std::vector<explain::Difference> out;
  if (!(now.board.castling() == earlier.board.castling()))
    out.push_back(explain::Difference::CastlingRights);
  if (now_en_passant != legal_en_passant(earlier))
    out.push_back(explain::Difference::EnPassant);
  if (now.board.side_to_move() != earlier.board.side_to_move())
    out.push_back(explain::Difference::SideToMove);
  return out;
}

}  // namespace

Game::Game(const Variant& variant, const Position& start)
    : history_(std::make_shared<History>(History{{start}, {start.repetition_key()}, {}})),
      variant_(&variant) {}

Game Game::seeded(const Variant& variant, const Position& start) { return Game(variant, start); }

std::expected<Game, FenError> Game::from_fen(const Variant& variant, std::string_view fen) {
  const auto position = fen::parse(fen);
  if (!position) return std::unexpected(position.error());
  if (!variant.validate(*position)) return std::unexpected(FenError::IllegalPosition);
  return Game(variant, *position);
}

std::expected<Game, PositionError> Game::from_position(const Variant& variant,
                                                       const Position& start) {
  if (const auto valid = variant.validate(start); !valid) return std::unexpected(valid.error());
  return Game(variant, start);
}

const Position& Game::start() const {
  if (history_->positions.empty()) panic("a game holds its start");
  return history_->positions.front();
}

const Position& Game::current() const {
  if (history_->positions.empty()) panic("a game holds its start");
  return history_->positions.back();
}

// Every container gets its room before the first one changes, so a failed
// allocation (MemoryError) leaves the game exactly as it was; the next
// position is then played straight in its room, and taken out again should
// playing stop on a broken invariant.
void Game::push(Move legal) {
  History& history = own_history();
  room_for_one(history.keys);
  room_for_one(history.positions);
  room_for_one(history.moves);
  history.positions.push_back(history.positions.back());
  try {
    variant_->play_on(history.positions.back(), legal);
  } catch (...) {
    history.positions.pop_back();
    throw;
  }
  history.keys.push_back(history.positions.back().repetition_key());
  history.moves.push_back(legal);
}

Game::History& Game::own_history() {
  if (history_.use_count() > 1) [[unlikely]] {
    unshare();
  } else {
    // The last other holder's reads of the history come before these writes.
    std::atomic_thread_fence(std::memory_order_acquire);
  }
  return *history_;
}

void Game::unshare() { history_ = std::make_shared<History>(*history_); }

std::expected<void, IllegalMove> Game::play(Move m) {
  const Move legal = variant_->legal_entry(current(), m);
  if (legal.absent()) return std::unexpected(IllegalMove{});
  push(legal);
  return {};
}

// The readers return the legal list's own entry, so it is not looked up again.
std::expected<void, MoveParseError> Game::play_read(std::expected<Move, MoveParseError> read) {
  if (!read) return std::unexpected(read.error());
  push(*read);
  return {};
}

std::expected<void, MoveParseError> Game::play_uci(std::string_view text) {
  return play_read(variant_->move_from_uci(current(), text));
}

std::expected<void, MoveParseError> Game::play_san(std::string_view text) {
  return play_read(variant_->move_from_san(current(), text));
}

std::expected<void, ReplayError> Game::replay_uci(std::span<const std::string> texts) {
  for (std::size_t i = 0; i < texts.size(); ++i)
    if (const auto played = play_uci(texts[i]); !played)
      return std::unexpected(ReplayError{i, played.error()});
  return {};
}

Move Game::undo() {
  if (history_->moves.empty()) return Move::none();
  History& history = own_history();
  const Move last = history.moves.back();
  history.moves.pop_back();
  history.keys.pop_back();
  history.positions.pop_back();
  return last;
}

std::vector<DrawClaim> Game::claims() const {
  std::vector<DrawClaim> claims;
  if (current().halfmove_clock >= kClaimPlies) claims.push_back(DrawClaim::FiftyMoves);
  if (repetitions() >= kThreefold) claims.push_back(DrawClaim::ThreefoldRepetition);
  // Mate ends the game before any claim; only worth asking when one is listed.
  if (!claims.empty() && is_mate(variant_->outcome(current()))) claims.clear();
  return claims;
}

std::optional<Termination> Game::outcome() const {
  const auto own = variant_->outcome(current());
  if (own && *own <= Outcome::Stalemate) return termination(*own);
  if (repetitions() >= kFivefold) return Termination::FivefoldRepetition;
  if (own) return termination(*own);
  return std::nullopt;
}

std::uint32_t Game::repetitions() const {
  const std::vector<std::uint64_t>& all = keys();
  const std::size_t clock = current().halfmove_clock;
  const std::size_t since = clock < all.size() ? all.size() - 1 - clock : 0;
  return std::uint32_t(std::count(all.begin() + std::ptrdiff_t(since), all.end(), all.back()));
}

// The game's positions up to `now_ply`, where `now` stands (the current
// position, or one played beyond it), so a query about a move not yet played
// needs no copy of the game.
struct Game::Line {
  const Game& game;
  const Position& now;
  std::uint32_t now_ply;
  std::optional<Move> extra;  // the move into `now` when it lies beyond the game

  const Position& position(std::uint32_t ply) const {
    return ply == now_ply ? now : game.positions()[ply];
  }
  Move move_into(std::uint32_t ply) const {
    return extra && ply == now_ply ? *extra : game.moves()[ply - 1];
  }
  // Every move resets the clock that captures or moves a pawn, and nothing
  // else does; so the last reset lies `clock` plies back, and no earlier
  // position can share the placement of `now`.
  std::optional<std::uint32_t> last_reset() const {
    const std::uint32_t clock = now.halfmove_clock;
    if (clock >= now_ply) return std::nullopt;
    return now_ply - clock;
  }
};

Game::Line Game::line() const { return {*this, current(), std::uint32_t(ply()), std::nullopt}; }

explain::Repetition Game::repetition_status() const { return repetition_status(line()); }

explain::Repetition Game::repetition_status(const Line& l) const {
  const Position& now = l.now;
  const auto now_en_passant = legal_en_passant(now);
  explain::Repetition out;
  for (std::uint32_t ply = l.last_reset().value_or(0); ply <= l.now_ply; ++ply) {
    const Position& earlier = l.position(ply);
    if (!same_placement(now.board, earlier.board)) continue;
    auto differs = differences(now, earlier, now_en_passant);
    if (differs.empty())
      out.plies.push_back(ply);
    else
      out.near_misses.push_back({std::move(differs), ply});
  }
  out.count = std::uint32_t(out.plies.size());
  return out;
}

explain::FiftyMove Game::fifty_move_status() const { return fifty_move_status(line()); }

explain::FiftyMove Game::fifty_move_status(const Line& l) const {
  const std::uint32_t clock = l.now.halfmove_clock;
  explain::FiftyMove out{clock, std::max(kClaimPlies, clock) - clock,
                         std::max(kAutomaticPlies, clock) - clock, std::nullopt};
  if (const auto ply = l.last_reset()) {
    const bool capture = l.move_into(*ply).is_capture();
    out.last_reset = explain::Reset{*ply, capture ? explain::ResetKind::Capture : explain::ResetKind::PawnMove};
  }
  return out;
}

explain::DrawStatus Game::draw_status() const {
  const Position& now = current();
  explain::DrawStatus out;
  if (now.board.count_legal() == 0) {
    if (now.board.checkers()) return out;
    out.automatic.push_back(explain::stalemate_detail(now));
  }
  if (const auto material = explain::insufficient_material(now))
    out.automatic.push_back(*material);
  const explain::Repetition repetition = repetition_status();
  const explain::FiftyMove fifty = fifty_move_status();
  if (repetition.count >= kFivefold) out.automatic.push_back(repetition);
  if (fifty.clock >= kAutomaticPlies) out.automatic.push_back(fifty);
  claimable(repetition, fifty, out.claimable);
  return out;
}

void Game::claimable(const explain::Repetition& repetition, const explain::FiftyMove& fifty,
                     std::vector<explain::ClaimableDraw>& out) {
  if (repetition.count >= kThreefold) out.push_back(repetition);
  if (fifty.clock >= kClaimPlies) out.push_back(fifty);
}

std::vector<explain::ClaimableDraw> Game::claims_after(Move m) const {
  const auto legal = variant_->legal_move(current(), m);
  if (!legal) return {};
  const Position next = variant_->play(current(), *legal);
  std::vector<explain::ClaimableDraw> out;
  if (next.board.checkers() && next.board.count_legal() == 0) return out;  // mate ends the game
  const Line l{*this, next, std::uint32_t(ply() + 1), *legal};
  claimable(repetition_status(l), fifty_move_status(l), out);
  return out;
}

}  // namespace vorn
