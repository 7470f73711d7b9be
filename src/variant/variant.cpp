#include "variant/variant.hpp"

#include <array>

#include "variant/rules.hpp"

namespace vorn {

namespace {

constexpr std::array<Role, 4> kPromotionRoles{Role::Queen, Role::Rook, Role::Bishop, Role::Knight};
constexpr std::uint64_t kStandardStart = 518;

// What both variants share; they differ in start positions, validation and
// how castling is written in UCI text.
class Shared : public Variant {
 public:
  void legal_moves(const Position& p, MoveList& out) const final { p.board.legal_moves(out); }
  void legal_moves_from(const Position& p, Square origin, MoveList& out) const final {
    p.board.legal_moves_from(origin, out);
  }
  Move legal_entry(const Position& p, Move m) const final { return p.board.legal_entry(m); }
  void play_on(Position& p, Move m) const final { rules::play(p, m); }
  std::optional<Outcome> outcome(const Position& p) const final { return rules::outcome(p); }
  std::span<const Role> promotion_roles() const final { return kPromotionRoles; }
  std::expected<Move, MoveParseError> move_from_uci(const Position& p,
                                                    std::string_view text) const final {
    return rules::move_from_uci(*this, p, text);
  }
  std::string move_to_san(const Position& p, Move m) const final {
    return rules::move_to_san(*this, p, m);
  }
  std::optional<MoveParseError> read_san(const Position& p, std::string_view text, Move& out) const final {
    return rules::read_san(p, text, out);
  }
};

class Classic final : public Shared {
 public:
  std::string_view name() const override { return "chess"; }
  Position start_position(std::uint64_t) const override {
    static const Position start = rules::start_position(kStandardStart);
    return start;
  }
  std::expected<void, PositionError> validate(const Position& p) const override {
    if (rules::has_classic_castling(p)) return {};
    return std::unexpected(PositionError{});
  }
  std::string move_to_uci(const Position&, Move m, CastlingStyle style) const override {
    return move_uci(m, style);
  }
};

class Chess960 final : public Shared {
 public:
  std::string_view name() const override { return "chess960"; }
  Position start_position(std::uint64_t number) const override {
    return rules::start_position(number);
  }
  std::expected<void, PositionError> validate(const Position&) const override { return {}; }
  // Only king-takes-rook text names a Chess960 castling without ambiguity.
  std::string move_to_uci(const Position&, Move m, CastlingStyle) const override {
    return move_uci(m, CastlingStyle::KingToRook);
  }
};

// Made at compile time, so asking for one costs no guard on first use.
constinit const Classic kClassic;
constinit const Chess960 kChess960;

}  // namespace

const Variant& classic() { return kClassic; }
const Variant& chess960() { return kChess960; }

const Variant* variant_named(std::string_view name) {
  if (name == "chess") return &classic();
  if (name == "chess960") return &chess960();
  return nullptr;
}

}  // namespace vorn
