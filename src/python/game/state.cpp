// Copying and pickling a Game, as Python sees it:
//
//   g.copy(); copy.copy(g); copy.deepcopy(g)      independent games
//   g.__getstate__() == ("chess", start_fen, ["e2e4", "e7e5"], "king_to_rook")
//   g.__setstate__(state)   replays the moves; a bad state changes nothing
//   pickle.loads(pickle.dumps(g))                 through __reduce__
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "python/board/classes.hpp"
#include "python/errors/exceptions.hpp"
#include "python/game/classes.hpp"
#include "python/names/names.hpp"

namespace vorn::python {

namespace game_state {

namespace {

State state_of(const Game& game) {
  return {std::string(game.variant().name()), fen_with_clocks(game.start()), convert::uci_texts(game.moves()),
          std::string(vorn::name(game.castling_output()))};
}

}  // namespace

bind::Ref copy(bind::Shared<PyGame> game) { return bind::to_python(Game(*game)); }

// A game holds no Python object, so the memo has nothing to record.
bind::Ref deep_copy(bind::Shared<PyGame> game, PyObject*) { return copy(std::move(game)); }

State get(bind::Shared<PyGame> game) { return state_of(*game); }

// Builds the whole game aside, in the order the state's items are checked;
// the object's own game is replaced only once every step has passed.
void set(bind::Exclusive<PyGame> game, const State& state) {
  const Variant& variant = convert::variant_by_name(state.variant);
  auto rebuilt = Game::from_fen(variant, state.start_fen);
  if (!rebuilt) errors::fen_error(rebuilt.error(), state.start_fen);
  rebuilt->set_castling_output(convert::castling_style_from(state.castling_output));
  if (const auto replayed = rebuilt->replay_uci(state.moves); !replayed) {
    errors::move_parse_error(replayed.error().kind, state.moves[replayed.error().index],
                             fen_with_clocks(rebuilt->current()));
  }
  *game = std::move(*rebuilt);
}

bind::Ref reduce(bind::Shared<PyGame> game) {
  const bind::Ref type = bind::Ref::borrow(reinterpret_cast<PyObject*>(PyGame::type()));
  return bind::to_python(std::tuple{type, std::tuple{}, state_of(*game)});
}

}  // namespace game_state

namespace bind {

game_state::State Converter<game_state::State>::from(PyObject* object) {
  if (!PyTuple_Check(object)) cannot_convert(object, "tuple");
  constexpr Py_ssize_t kItems = 4;
  if (const Py_ssize_t size = PyTuple_Size(object); size != kItems) {
    raise(PyExc_TypeError, "expected a tuple of " + std::to_string(kItems) + " items, got " +
                               std::to_string(size));
  }
  const auto item = [object](Py_ssize_t i) { return PyTuple_GetItem(object, i); };
  // Braced initialisation converts in order, the moves' every text included.
  return {from_python<std::string>(item(0)), from_python<std::string>(item(1)),
          from_python<std::vector<std::string>>(item(2)), from_python<std::string>(item(3))};
}

Ref Converter<game_state::State>::to(const game_state::State& state) {
  return to_python(std::tuple{state.variant, state.start_fen, state.moves, state.castling_output});
}

}  // namespace bind

}  // namespace vorn::python
