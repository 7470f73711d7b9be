// The methods of Game that reach into the analysis areas and the PGN
// records, as Python sees them:
//
//   g.ending()                         the current position's Ending
//   g.facts(), g.annotated_moves()     the current position's, history included in facts
//   g.opening()                        the deepest named position reached, or None
//   g.to_pgn()                         a PgnGame with a seven-tag roster of placeholders
#include <optional>
#include <vector>

#include "pgn/setup.hpp"
#include "python/endings/classes.hpp"
#include "python/facts/classes.hpp"
#include "python/game/classes.hpp"
#include "python/openings/openings.hpp"
#include "python/pgn/classes.hpp"

namespace vorn::python {

namespace {

using SharedGame = bind::Shared<PyGame>;

vorn::pgn::Game to_pgn(SharedGame game) { return vorn::pgn::from_game(*game); }

vorn::endings::Classification ending_of(SharedGame game) {
  return vorn::endings::classify(game->current());
}

bind::Ref game_facts(SharedGame game) { return facts::facts_of(*game); }

bind::Ref game_annotated_moves(SharedGame game) {
  return facts::annotated_moves(game->current(), game->variant());
}

// A game that has left the catalogue keeps the name of the last named
// position it passed through.
std::optional<vorn::openings::Opening> opening_of(SharedGame game) {
  std::optional<vorn::openings::Opening> named;
  for (const Position& position : game->positions()) {
    if (auto found = vorn::openings::lookup(position)) named = found;
  }
  return named;
}

}  // namespace

std::vector<bind::MethodEntry<PyGame>> with_game_analysis_methods(std::vector<bind::MethodEntry<PyGame>> methods) {
  methods.insert(methods.end(), {
      bind::method<&ending_of>("ending", "ending($self)\n--\n\nWhat ending the current position is."),
      bind::method<&game_facts>(
          "facts", "facts($self)\n--\n\nThe facts of the current position, repetition and history included."),
      bind::method<&game_annotated_moves>(
          "annotated_moves", "annotated_moves($self)\n--\n\nEvery legal move in the current position, annotated."),
      bind::method<&opening_of>(
          "opening", "opening($self)\n--\n\nThe opening of the deepest named position this game has reached."),
      bind::method<&to_pgn>("to_pgn",
                            "to_pgn($self)\n--\n\nThis game as PGN, with a seven-tag roster of placeholders."),
  });
  return methods;
}

}  // namespace vorn::python
