// The Game class, the one mutable board class, and its conversion, so that
// a function returning a vorn::Game hands Python a new Game:
//
//   Game(*, variant=None, seed=0)   a variant, a start position and the moves
//                                   played from it, behind a borrow flag
//   ("chess", start FEN, ["e2e4", ...], "king_to_rook")   its pickled state
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "game/game.hpp"
#include "python/bind/class.hpp"
#include "python/bind/module.hpp"

namespace vorn::python {

VORN_CLASS(PyGame, bind::BorrowCell<Game>);

// Game's own methods followed by those that reach into the analysis areas
// and the PGN records (ending, facts, annotated_moves, opening, to_pgn),
// which analysis/game.cpp adds from above them.
std::vector<bind::MethodEntry<PyGame>> with_game_analysis_methods(std::vector<bind::MethodEntry<PyGame>> methods);

}  // namespace vorn::python

// Like board_classes, not `game`, which reads as a variable of this area.
namespace vorn::python::game_classes {

// Adds Game (module.cpp).
void register_module(bind::Module& module);

}  // namespace vorn::python::game_classes

// The copying and pickling members, kept in state.cpp.
namespace vorn::python::game_state {

// What __getstate__ gives and __setstate__ takes: plain texts, the moves in
// king_to_rook spelling.
struct State {
  std::string variant;
  std::string start_fen;
  std::vector<std::string> moves;
  std::string castling_output;
};

bind::Ref copy(bind::Shared<PyGame> game);
bind::Ref deep_copy(bind::Shared<PyGame> game, PyObject* memo);
State get(bind::Shared<PyGame> game);
void set(bind::Exclusive<PyGame> game, const State& state);
bind::Ref reduce(bind::Shared<PyGame> game);

}  // namespace vorn::python::game_state

namespace vorn::python::bind {

// A game is held behind its borrow flag, so it is not the class's own value.
template <>
struct Converter<Game> {
  static Ref to(Game game) { return make<PyGame>(std::move(game)); }
};

// A tuple (or tuple subclass) of exactly four items: text, text, a sequence
// of texts that is not a str, text; every item converted before use.
template <>
struct Converter<game_state::State> {
  static game_state::State from(PyObject* object);
  static Ref to(const game_state::State& state);
};

}  // namespace vorn::python::bind
