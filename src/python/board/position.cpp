// Position, as Python sees it:
//
//   p = Position.from_fen("... w KQkq - 0 1"); p.fen, p.side_to_move, p.polyglot_key
//   p.piece_at("e1"), p.by_piece("n", "white"), p.attackers("e4", "black")
//   p.legal_moves(variant=CHESS960), p.san(m), p.parse_uci("e1g1"), p.play("e2e4")
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "board/attacks.hpp"
#include "game/game.hpp"
#include "hash/siphash.hpp"
#include "polyglot/key.hpp"
#include "position/fen.hpp"
#include "python/board/classes.hpp"
#include "python/board/squareset.hpp"
#include "python/errors/exceptions.hpp"
#include "python/names/names.hpp"

namespace vorn::python {

std::string fen_with_clocks(const Position& position) { return fen::format(position, true); }

void illegal_here(Move mv, const Position& position) {
  errors::illegal_move(move_uci(mv, CastlingStyle::KingToRook), fen_with_clocks(position));
}

std::string legal_san(const Variant& variant, const Position& position, Move mv) {
  const auto legal = variant.legal_move(position, mv);
  if (!legal) illegal_here(mv, position);
  return variant.move_to_san(position, *legal);
}

namespace {

// ---- the frame -------------------------------------------------------------

Position from_fen(std::string_view text) {
  auto position = fen::parse(text);
  if (!position) errors::fen_error(position.error(), text);
  return *position;
}

std::string repr_fen(const Position& p) { return fen::format(p, p.clocks_known); }
std::string position_repr(const Position& p) { return "<Position " + repr_fen(p) + ">"; }

std::uint64_t position_hash(const Position& p) {
  const board::Board& b = p.board;
  SipHasher13 h;
  h.write_u64(6);
  for (const Role r : kRoles) h.write_u64(b.pieces(r).bits);
  h.write_u64(2).write_u64(b.colour(Colour::White).bits).write_u64(b.colour(Colour::Black).bits);
  h.write_u64(std::uint64_t(b.side_to_move()));
  const auto optional_file = [&h](std::optional<File> file) {
    h.write_u64(file ? 1 : 0);
    if (file) h.write_u64(std::uint64_t(index(*file)));
  };
  h.write_u64(2);
  for (const Colour c : kColours)
    for (const Wing w : {Wing::Short, Wing::Long}) optional_file(b.castling().get(c, w));
  optional_file(b.en_passant());
  h.write_u64(b.hash()).write_u64(b.pinned().bits).write_u64(b.checkers().bits);
  // The board's own counters, which the system keeps at 0 and 1.
  h.write_u8(0).write_u16(1);
  h.write_u32(p.halfmove_clock).write_u32(p.fullmove_number).write_u8(p.clocks_known ? 1 : 0);
  return h.finish();
}

bind::Ref position_reduce(PyObject* self) {
  const bind::Ref from_fen_method =
      bind::Ref::check(PyObject_GetAttrString(reinterpret_cast<PyObject*>(Py_TYPE(self)), "from_fen"));
  return bind::to_python(
      std::pair{from_fen_method, std::tuple{repr_fen(bind::expect_instance<PyPosition>(self).value)}});
}

// ---- properties --------------------------------------------------------------

std::string fen_of(const Position& p) { return fen::format(p, true); }
std::string epd_of(const Position& p) { return fen::format(p, false); }
// The two names are made once: reading the side to move is as cheap as
// reading a plain attribute.
bind::Ref side_of(const Position& p) {
  static std::array<PyObject*, 2> names{};
  const Colour side = p.board.side_to_move();
  return bind::Ref::borrow(bind::process_object(names[index(side)], [side] {
    return bind::Ref::check(PyUnicode_InternFromString(colour_name(side).data()));
  }));
}
std::string castling_of(const Position& p) { return fen::castling_field(p.board.castling()); }
std::optional<std::string> en_passant_of(const Position& p) {
  if (const auto target = p.board.en_passant_target()) return square_name(*target);
  return std::nullopt;
}
std::uint32_t halfmove_of(const Position& p) { return p.halfmove_clock; }
std::uint32_t fullmove_of(const Position& p) { return p.fullmove_number; }
bool clocks_known_of(const Position& p) { return p.clocks_known; }
bool in_check_of(const Position& p) { return bool(p.board.checkers()); }
SquareSet occupied_of(const Position& p) { return p.board.occupied(); }
std::uint64_t key_of(const Position& p) { return p.board.hash(); }
std::uint64_t polyglot_key_of(const Position& p) { return polyglot::key(p); }

// ---- board queries -------------------------------------------------------------

std::optional<char> piece_at(const Position& p, std::string_view square) {
  const Square s = convert::square_from(square);
  const auto role = p.board.role_on(s);
  if (!role) return std::nullopt;
  return role_fen_letter(*role, *p.board.colour_on(s));
}

SquareSet by_role(const Position& p, std::string_view role) {
  return p.board.pieces(convert::role_from(role));
}

SquareSet by_colour(const Position& p, std::string_view colour) {
  return p.board.colour(convert::colour_from(colour));
}

SquareSet by_piece(const Position& p, std::string_view role, std::string_view colour) {
  const Role r = convert::role_from(role);
  return p.board.pieces(r, convert::colour_from(colour));
}

std::string king_of(const Position& p, std::string_view colour) {
  return square_name(p.board.king(convert::colour_from(colour)));
}

SquareSet checkers_of(const Position& p) { return p.board.checkers(); }

SquareSet attackers_of(const Position& p, std::string_view square, std::string_view colour) {
  const Square s = convert::square_from(square);
  const Colour c = convert::colour_from(colour);
  return p.board.attackers(s, c, p.board.occupied());
}

SquareSet between_of(const Position&, std::string_view origin, std::string_view destination) {
  const Square a = convert::square_from(origin);
  return board::between(a, convert::square_from(destination));
}

// ---- rules ---------------------------------------------------------------------

MoveList legal_moves_of(const Position& p, const PyVariant* variant) {
  MoveList moves;
  resolve(variant).legal_moves(p, moves);
  return moves;
}

std::string san_of(const Position& p, Move mv, const PyVariant* variant) {
  return legal_san(resolve(variant), p, mv);
}

Move parse_san(const Position& p, std::string_view text, const PyVariant* variant) {
  const auto found = resolve(variant).move_from_san(p, text);
  if (!found) errors::move_parse_error(found.error(), text, fen_with_clocks(p));
  return *found;
}

std::string uci_of(const Position& p, Move mv, const PyVariant* variant, std::string_view castling) {
  const Variant& v = resolve(variant);
  return v.move_to_uci(p, mv, convert::castling_style_from(castling));
}

Move parse_uci(const Position& p, std::string_view text, const PyVariant* variant) {
  const auto found = resolve(variant).move_from_uci(p, text);
  if (!found) errors::move_parse_error(found.error(), text, fen_with_clocks(p));
  return *found;
}

// Text is read as a legal move already; only a given Move needs the check.
// The new position is played straight in its object.
bind::Ref play(const Position& p, PyObject* mv, const PyVariant* variant) {
  const Variant& v = resolve(variant);
  Move legal;
  if (const PyMove* given = bind::instance<PyMove>(mv)) {
    legal = v.legal_entry(p, given->value);
    if (legal.absent()) illegal_here(given->value, p);
  } else {
    legal = parse_uci(p, bind::from_python<std::string_view>(mv), variant);
  }
  bind::Ref next = bind::make<PyPosition>(p);
  v.play_on(bind::made_value<PyPosition>(next), legal);
  return next;
}

std::optional<std::string_view> outcome_of(const Position& p, const PyVariant* variant) {
  const auto outcome = resolve(variant).outcome(p);
  if (!outcome) return std::nullopt;
  return kTerminationNames[std::size_t(termination(*outcome))];
}

const bind::ClassSpec<PyPosition> kPositionClass{
    .name = "vorn.Position",
    .doc = "Placement and state, with no rules attached.",
    .getters =
        {bind::getter<&fen_of>("fen", "The six-field FEN."),
         bind::getter<&epd_of>("epd", "The first four FEN fields."),
         bind::getter<&side_of>("side_to_move", "The side to move: `white` or `black`."),
         bind::getter<&castling_of>("castling_rights", "The FEN castling field."),
         bind::getter<&en_passant_of>("en_passant", "The square a pawn skipped on the previous ply."),
         bind::getter<&halfmove_of>("halfmove_clock"),
         bind::getter<&fullmove_of>("fullmove_number"),
         bind::getter<&clocks_known_of>("clocks_known", "False when the position came from a four-field FEN."),
         bind::getter<&in_check_of>("in_check"),
         bind::getter<&occupied_of>("occupied", "Every square holding a unit."),
         bind::getter<&key_of>("key", "The Zobrist key. An identity within one process run only."),
         bind::getter<&polyglot_key_of>(
             "polyglot_key",
             "The Polyglot key: the same number in every run and in every program\nthat implements the format.")},
    .methods = with_analysis_methods(
        {bind::static_method<&from_fen>(
             "from_fen",
             "from_fen(fen)\n--\n\nReads a six-field FEN, or a four-field one, which leaves the clocks\nunknown."),
         bind::method<&piece_at>("piece_at",
                                 "piece_at($self, square)\n--\n\nThe FEN letter of the unit on `square`, if any."),
         bind::method<&by_role>("by_role",
                                "by_role($self, role)\n--\n\nEvery square holding a unit of `role`, of either colour."),
         bind::method<&by_colour>("by_colour",
                                  "by_colour($self, colour)\n--\n\nEvery square holding a unit of `colour`."),
         bind::method<&by_piece>(
             "by_piece", "by_piece($self, role, colour)\n--\n\nEvery square holding a unit of `role` and `colour`."),
         bind::method<&king_of>("king_of", "king_of($self, colour)\n--\n\nWhere `colour`'s king stands."),
         bind::method<&checkers_of>("checkers", "checkers($self)\n--\n\nThe units giving check to the side to move."),
         bind::method<&attackers_of>(
             "attackers",
             "attackers($self, square, colour)\n--\n\nThe units of `colour` attacking `square`, pins ignored."),
         bind::method<&between_of>("between",
                                   "between($self, origin, destination)\n--\n\n"
                                   "The squares strictly between two squares; empty when they share no\n"
                                   "rank, file or diagonal."),
         bind::method<&Position::mirrored>(
             "mirrored", "mirrored($self)\n--\n\nThe position with the colours swapped and the ranks flipped."),
         bind::method<&position_reduce>("__reduce__", "__reduce__($self)\n--\n\n"),
         bind::method<&legal_moves_of>("legal_moves",
                                       "legal_moves($self, *, variant=None)\n--\n\nEvery legal move here, under `variant`."),
         bind::method<&san_of>("san",
                               "san($self, mv, *, variant=None)\n--\n\nThe SAN text of `mv` here, with its check or mate mark."),
         bind::method<&parse_san>("parse_san",
                                  "parse_san($self, text, *, variant=None)\n--\n\nThe move `text` names in SAN here."),
         bind::method<&uci_of>("uci",
                               "uci($self, mv, *, variant=None, castling=\"king_to_rook\")\n--\n\n"
                               "The UCI text of `mv` here, castling spelled as `castling` asks."),
         bind::method<&parse_uci>(
             "parse_uci",
             "parse_uci($self, text, *, variant=None)\n--\n\n"
             "The move `text` names in UCI notation here, either castling spelling."),
         bind::method<&play>("play",
                             "play($self, mv, *, variant=None)\n--\n\nThe position after `mv`, given as a `Move` or as UCI text."),
         bind::method<&outcome_of>("outcome",
                                   "outcome($self, *, variant=None)\n--\n\n"
                                   "The terminal condition this position has reached on its own.\n"
                                   "Repetition needs the moves played, so it is `Game.outcome()`.")}),
    .slots = {bind::str<&fen_of>, bind::repr<&position_repr>, bind::equality<&Position::operator==>,
              bind::hash<&position_hash>},
};

}  // namespace

PyTypeObject* PyPosition::type() { return bind::type_object(kPositionClass); }

}  // namespace vorn::python
