// Game, as Python sees it:
//
//   g = Game(variant=CHESS960, seed=518); Game.from_fen(fen); Game.from_position(p)
//   g.play("e2e4"); g.play(Move("g8", "f6")); g.play_san("Nf3"); g.undo()
//   g.position, g.moves, g.ply, g.outcome(), g.claims(), g.draw_status()
//   g.castling_output = "king_two_squares"; copy.copy(g); pickle.dumps(g)
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "python/board/classes.hpp"
#include "python/errors/exceptions.hpp"
#include "python/explain/classes.hpp"
#include "python/game/classes.hpp"
#include "python/names/names.hpp"

namespace vorn::python {

namespace {

using bind::Exclusive;
using bind::Shared;
using SharedGame = Shared<PyGame>;

// ---- construction ------------------------------------------------------------

Game new_game(const PyVariant* variant, std::uint64_t seed) {
  const Variant& v = resolve(variant);
  return Game::seeded(v, v.start_position(seed));
}

Game from_fen(std::string_view fen, const PyVariant* variant) {
  auto game = Game::from_fen(resolve(variant), fen);
  if (!game) errors::fen_error(game.error(), fen);
  return std::move(*game);
}

Game from_position(const PyPosition& position, const PyVariant* variant) {
  auto game = Game::from_position(resolve(variant), position.value);
  if (!game) errors::position_error(game.error(), fen_with_clocks(position.value));
  return std::move(*game);
}

// ---- properties --------------------------------------------------------------

const Variant* variant_of(SharedGame game) { return &game->variant(); }
Position position_of(SharedGame game) { return game->current(); }
Position start_of(SharedGame game) { return game->start(); }
std::vector<Move> moves_of(SharedGame game) { return game->moves(); }
std::vector<Position> positions_of(SharedGame game) { return game->positions(); }
std::size_t ply_of(SharedGame game) { return game->ply(); }

std::string_view castling_output_of(SharedGame game) {
  return vorn::name(game->castling_output());
}

void set_castling_output(Exclusive<PyGame> game, std::string_view style) {
  game->set_castling_output(convert::castling_style_from(style));
}

// ---- play --------------------------------------------------------------------

void play(Exclusive<PyGame> game, PyObject* mv) {
  if (const PyMove* given = bind::instance<PyMove>(mv)) {
    if (!game->play(given->value)) illegal_here(given->value, game->current());
    return;
  }
  // Any other value must be text; its TypeError names no parameter.
  const auto text = bind::from_python<std::string_view>(mv);
  if (const auto played = game->play_uci(text); !played) {
    errors::move_parse_error(played.error(), text, fen_with_clocks(game->current()));
  }
}

void play_san(Exclusive<PyGame> game, std::string_view text) {
  if (const auto played = game->play_san(text); !played) {
    errors::move_parse_error(played.error(), text, fen_with_clocks(game->current()));
  }
}

// None at the start.
bind::Ref undo(Exclusive<PyGame> game) {
  const Move last = game->undo();
  return last.absent() ? bind::Ref::none() : bind::to_python(last);
}

// ---- the current position ------------------------------------------------------

MoveList legal_moves_of(SharedGame game) {
  MoveList moves;
  game->variant().legal_moves(game->current(), moves);
  return moves;
}

std::string move_to_uci(SharedGame game, Move mv) {
  return game->variant().move_to_uci(game->current(), mv, game->castling_output());
}

std::string move_to_san(SharedGame game, Move mv) {
  return legal_san(game->variant(), game->current(), mv);
}

std::optional<std::string_view> outcome_of(SharedGame game) {
  const auto ended = game->outcome();
  if (!ended) return std::nullopt;
  return kTerminationNames[std::size_t(*ended)];
}

std::vector<std::string> claims_of(SharedGame game) {
  std::vector<std::string> names;
  for (const DrawClaim claim : game->claims()) {
    names.emplace_back(vorn::explain::kClaimableDrawNames[std::size_t(claim)]);
  }
  return names;
}

std::uint32_t repetitions_of(SharedGame game) { return game->repetitions(); }
vorn::explain::Repetition repetition_status_of(SharedGame game) { return game->repetition_status(); }
vorn::explain::FiftyMove fifty_move_status_of(SharedGame game) { return game->fifty_move_status(); }
vorn::explain::DrawStatus draw_status_of(SharedGame game) { return game->draw_status(); }

std::vector<vorn::explain::ClaimableDraw> claims_after_of(SharedGame game, Move mv) {
  return game->claims_after(mv);
}

std::string game_repr(SharedGame game) {
  return "<Game " + std::string(game->variant().name()) + " ply " + std::to_string(game->ply()) + " " +
         fen_with_clocks(game->current()) + ">";
}

const bind::ClassSpec<PyGame> kGameClass{
    .name = "vorn.Game",
    .doc = "Game(*, variant=None, seed=0)\n--\n\nA variant, a start position and the moves played from it.",
    .getters =
        {bind::getter<&variant_of>("variant", "The rules this game is played under."),
         bind::getter<&position_of>("position", "The position now."),
         bind::getter<&start_of>("start_position", "The position the game started from."),
         bind::getter<&moves_of>("moves", "The moves played, in order."),
         bind::getter<&positions_of>("positions", "Every position from the start to the current one."),
         bind::getter<&ply_of>("ply", "How many moves have been played."),
         bind::property<&castling_output_of, &set_castling_output>(
             "castling_output", "The castling spelling of this game's UCI output.", "style")},
    .methods = with_game_analysis_methods(
        {bind::static_method<&from_fen>(
             "from_fen", "from_fen(fen, *, variant=None)\n--\n\nA game starting from the position `fen` describes."),
         bind::static_method<&from_position>(
             "from_position", "from_position(position, *, variant=None)\n--\n\nA game starting from `position`."),
         bind::method<&legal_moves_of>("legal_moves",
                                       "legal_moves($self)\n--\n\nThe legal moves in the current position."),
         bind::method<&play>("play", "play($self, mv)\n--\n\nPlays a move, given as a `Move` or as UCI text."),
         bind::method<&play_san>("play_san", "play_san($self, text)\n--\n\nPlays the move `text` names in SAN."),
         bind::method<&undo>("undo", "undo($self)\n--\n\nTakes back the last move, returning it."),
         bind::method<&move_to_uci>("move_to_uci",
                                    "move_to_uci($self, mv)\n--\n\nThe UCI text of `mv` in the current position."),
         bind::method<&move_to_san>("move_to_san",
                                    "move_to_san($self, mv)\n--\n\nThe SAN text of `mv` in the current position."),
         bind::method<&outcome_of>("outcome",
                                   "outcome($self)\n--\n\n"
                                   "The automatic terminal condition, if any. The winner of a `checkmate`\n"
                                   "is the side that is not to move."),
         bind::method<&claims_of>("claims", "claims($self)\n--\n\nThe draws a player could claim now."),
         bind::method<&repetitions_of>(
             "repetitions", "repetitions($self)\n--\n\nHow often the current position has occurred in this game."),
         bind::method<&repetition_status_of>(
             "repetition_status",
             "repetition_status($self)\n--\n\n"
             "How often the current position has stood, and which earlier plies\n"
             "share its placement without counting."),
         bind::method<&fifty_move_status_of>(
             "fifty_move_status",
             "fifty_move_status($self)\n--\n\n"
             "The halfmove clock, what it counts towards, and what last cleared it."),
         bind::method<&draw_status_of>("draw_status",
                                       "draw_status($self)\n--\n\nEvery draw condition that holds now."),
         bind::method<&claims_after_of>("claims_after",
                                        "claims_after($self, mv)\n--\n\n"
                                        "What could be claimed once `mv` is played. Empty when `mv` is not\n"
                                        "legal here."),
         bind::method<&game_state::copy>("copy",
                                         "copy($self)\n--\n\n"
                                         "A game with the same variant, start position and moves, playable on\n"
                                         "without touching this one."),
         bind::method<&game_state::copy>("__copy__", "__copy__($self)\n--\n\n"),
         bind::method<&game_state::deep_copy>("__deepcopy__", "__deepcopy__($self, memo=None)\n--\n\n"),
         bind::method<&game_state::get>(
             "__getstate__",
             "__getstate__($self)\n--\n\n"
             "The variant, the start position, the moves and the castling spelling:\n"
             "enough to build this game again, and what pickling stores."),
         bind::method<&game_state::set>("__setstate__", "__setstate__($self, state)\n--\n\n"),
         bind::method<&game_state::reduce>("__reduce__", "__reduce__($self)\n--\n\n")}),
    .slots = {bind::constructor<&new_game>, bind::repr<&game_repr>},
};

}  // namespace

PyTypeObject* PyGame::type() { return bind::type_object(kGameClass); }

}  // namespace vorn::python
