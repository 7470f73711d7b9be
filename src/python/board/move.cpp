// Move, as Python sees it:
//
//   m = Move("e7", "e8", promotion="q", kind="promotion")
//   m.origin, m.destination, m.promotion, m.kind, m.is_capture, m.uci()
//   Move.from_uci("e2e4"); m == other compares squares and promotion only
#include <array>
#include <optional>
#include <string>
#include <tuple>

#include "hash/siphash.hpp"
#include "python/board/classes.hpp"
#include "python/errors/exceptions.hpp"
#include "python/names/names.hpp"

namespace vorn::python {

namespace {

using convert::MoveKind;

// The flag bits each kind sets; the capture bit follows `is_capture`.
constexpr std::uint8_t kKindFlags[] = {0, Move::kCapture, Move::kCapture | Move::kEnPassant,
                                       Move::kCastling, 0};

bool kind_allows(MoveKind kind, bool is_capture) {
  switch (kind) {
    case MoveKind::Quiet:
    case MoveKind::Castling: return !is_capture;
    case MoveKind::Capture:
    case MoveKind::EnPassant: return is_capture;
    case MoveKind::Promotion: return true;
  }
  return false;
}

Move new_move(std::string_view origin, std::string_view destination,
              std::optional<std::string_view> promotion, std::string_view kind, bool is_capture) {
  const std::optional<Role> role =
      promotion ? std::optional(convert::role_from(*promotion)) : std::nullopt;
  const MoveKind move_kind = convert::move_kind_from(kind);
  if (!kind_allows(move_kind, is_capture)) {
    errors::parse_error("move whose kind and is_capture agree",
                        std::string(kind) + ", is_capture=" + std::string(convert::bool_text(is_capture)));
  }
  const Square from = convert::square_from(origin);
  const Square to = convert::square_from(destination);
  std::uint8_t flags = kKindFlags[std::size_t(move_kind)];
  flags = is_capture ? flags | Move::kCapture : flags & ~Move::kCapture;
  return Move::make(from, to, flags, role);
}

MoveKind kind_of(const Move& m) {
  if (m.is_castling()) return MoveKind::Castling;
  if (m.is_en_passant()) return MoveKind::EnPassant;
  if (m.promotion()) return MoveKind::Promotion;
  if (m.is_capture()) return MoveKind::Capture;
  return MoveKind::Quiet;
}

std::string origin_of(const Move& m) { return square_name(m.from); }
std::string destination_of(const Move& m) { return square_name(m.to); }
std::optional<std::string> promotion_of(const Move& m) {
  if (const auto role = m.promotion()) return convert::role_name(*role);
  return std::nullopt;
}
std::string_view kind_name(const Move& m) { return convert::name(kind_of(m)); }
bool capture_of(const Move& m) { return m.is_capture(); }
bool castling_of(const Move& m) { return m.is_castling(); }
bool en_passant_of(const Move& m) { return m.is_en_passant(); }

std::string uci_of(const Move& m, std::string_view castling) {
  return move_uci(m, convert::castling_style_from(castling));
}

Move from_uci(std::string_view text) {
  auto parsed = parse_move(text);
  if (!parsed) errors::parse_error(parsed.error());
  return *parsed;
}

std::tuple<std::string, std::string, std::optional<std::string>, std::string_view, bool> move_args(
    const Move& m) {
  return {origin_of(m), destination_of(m), promotion_of(m), kind_name(m), m.is_capture()};
}

std::string move_str(const Move& m) { return move_uci(m, CastlingStyle::KingToRook); }
std::string move_repr(const Move& m) { return "<Move " + move_str(m) + ">"; }

std::uint64_t move_hash(const Move& m) {
  SipHasher13 hasher;
  hasher.write_u8(std::uint8_t(index(m.from))).write_u8(std::uint8_t(index(m.to)));
  if (const auto role = m.promotion()) {
    hasher.write_u64(1).write_u64(std::uint64_t(*role));
  } else {
    hasher.write_u64(0);
  }
  return hasher.finish();
}

const bind::ClassSpec<PyMove> kMoveClass{
    .name = "vorn.Move",
    .doc = "Move(origin, destination, promotion=None, kind=\"quiet\", is_capture=False)\n--\n\n"
           "One action: origin, destination, promotion role and kind.",
    .getters = {bind::getter<&origin_of>("origin", "The square the moving unit starts on; for castling, the king's."),
                bind::getter<&destination_of>("destination", "The square it ends on; for castling, the rook's own square."),
                bind::getter<&promotion_of>("promotion", "The role a promoting pawn becomes."),
                bind::getter<&kind_name>("kind", "`quiet`, `capture`, `en_passant`, `castling` or `promotion`."),
                bind::getter<&capture_of>("is_capture"),
                bind::getter<&castling_of>("is_castling"),
                bind::getter<&en_passant_of>("is_en_passant")},
    .methods = {bind::method<&uci_of>(
                    "uci",
                    "uci($self, *, castling=\"king_to_rook\")\n--\n\n"
                    "The UCI text, castling spelled as `castling` asks: `king_to_rook`,\n"
                    "correct in every variant, or `king_two_squares`, classic geometry\n"
                    "only. A Chess960 game spells its own castlings with\n"
                    "`Game.move_to_uci`."),
                bind::static_method<&from_uci>(
                    "from_uci",
                    "from_uci(text)\n--\n\n"
                    "The move `text` names in UCI notation, four or five characters.\n\n"
                    "The move carries no kind: only a position says what it captures and\n"
                    "whether it castles, so a move to play is read with\n"
                    "`Position.parse_uci` or played with `Game.play`."),
                bind::method<&move_args>("__getnewargs__", "__getnewargs__($self)\n--\n\n")},
    .slots = {bind::constructor<&new_move>, bind::str<&move_str>, bind::repr<&move_repr>,
              bind::equality<&Move::same_action>, bind::hash<&move_hash>},
};

}  // namespace

PyTypeObject* PyMove::type() { return bind::type_object(kMoveClass); }

namespace bind {

namespace {

// One slot per origin, destination, promotion (none or one of four) and the
// flag values legal generation sets (quiet, capture, en passant, castling).
constexpr std::size_t kFlagSlots = 4;
constexpr std::size_t kMoveSlots = 64 * 64 * 5 * kFlagSlots;

std::optional<std::size_t> flag_slot(std::uint8_t flags) {
  switch (flags) {
    case 0: return 0;
    case Move::kCapture: return 1;
    case Move::kCapture | Move::kEnPassant: return 2;
    case Move::kCastling: return 3;
    default: return std::nullopt;
  }
}

}  // namespace

Ref shared_move(Move move) {
  // Made on first use and kept for the life of the process, like the types.
  static std::array<PyObject*, kMoveSlots> shared{};
  const auto flags = flag_slot(move.flags);
  if (!flags || !on_board(move.from) || !on_board(move.to)) return make<PyMove>(move);
  const auto promotion = move.promotion();
  const std::size_t promotion_slot = promotion ? std::size_t(index(*promotion)) : 0;  // knight 1 .. queen 4
  if (promotion_slot > 4) return make<PyMove>(move);
  const std::size_t slot =
      ((std::size_t(index(move.from)) * 64 + std::size_t(index(move.to))) * 5 + promotion_slot) * kFlagSlots +
      *flags;
  PyObject*& object = shared[slot];
  if (object == nullptr) object = make<PyMove>(move).release();
  return Ref::borrow(object);
}

}  // namespace bind

}  // namespace vorn::python
