// The PGN classes of vorn.pgn, and the conversion that hands Python a new
// PgnGame for a record (Game.to_pgn, PgnGame.from_game, the reader).
#pragma once

#include <memory>

#include "pgn/record.hpp"
#include "python/bind/class.hpp"
#include "python/bind/module.hpp"

namespace vorn::python {

// A record is held shared, and no method changes its move tree once it is
// made: the nodes handed out keep the record alive instead of a copy of it.
VORN_CLASS(PyPgnGame, bind::BorrowCell<std::shared_ptr<vorn::pgn::Game>>);

// A node shares the tree it was handed out from, so going down a level costs
// only the nodes that level holds.
VORN_CONVERTED_CLASS(PyPgnNode, std::shared_ptr<const vorn::pgn::Node>);

}  // namespace vorn::python

namespace vorn::python::pgn {

// PgnGame, PgnNode, PgnReader, then pgn_read, pgn_read_string, pgn_count (module.cpp).
void register_module(bind::Module& module);
// PgnReader, then pgn_read, pgn_read_string, pgn_count (reader.cpp).
void add_reader(bind::Module& module);

}  // namespace vorn::python::pgn

namespace vorn::python::bind {

template <>
struct Converter<vorn::pgn::Game> {
  static Ref to(vorn::pgn::Game game) { return make<PyPgnGame>(std::make_shared<vorn::pgn::Game>(std::move(game))); }
};

}  // namespace vorn::python::bind
