// PolyglotBuilder, as Python sees it:
//
//   builder = PolyglotBuilder(max_ply=20, min_count=2)
//   builder.add_game(game); builder.add_pgn("games.pgn"); builder.add_pgn_string(text)
//   builder.entries() -> [PolyglotRaw, ...]; builder.write("book.bin"); len(builder)
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pgn/source.hpp"
#include "python/pgn/reading.hpp"
#include "python/game/classes.hpp"
#include "python/polyglot/polyglot.hpp"

namespace vorn::python {

namespace {

namespace model = vorn::polyglot;
using bind::Exclusive;
using bind::Shared;

model::build::Builder new_builder(std::optional<std::uint32_t> max_ply, std::uint32_t min_count) {
  return model::build::Builder(max_ply, min_count);
}

void add_game(Exclusive<PyBuilder> builder, Shared<PyGame> game) { builder->add_game(*game); }

// The builder stays borrowed while the lock is released: another thread
// that touches it meanwhile gets the borrow error.
std::uint64_t add_pgn(Exclusive<PyBuilder> builder, const bind::PathBytes& path) {
  vorn::pgn::FileSource file = pgn::open_file(path);
  const auto counter = builder->pgn_counter();
  return pgn::read_all_games(file, *counter, &path);
}

std::uint64_t add_pgn_string(Exclusive<PyBuilder> builder, std::string_view text) {
  vorn::pgn::TextSource source(text);
  const auto counter = builder->pgn_counter();
  return pgn::read_all_games(source, *counter, nullptr);
}

std::vector<model::Raw> builder_entries(Shared<PyBuilder> builder) { return builder->entries(); }

void write_builder(Shared<PyBuilder> builder, const bind::PathBytes& path) {
  if (const auto written = model::write_raw(path.bytes, builder->entries()); !written) {
    polyglot::file_error(written.error(), path);
  }
}

std::size_t builder_length(Shared<PyBuilder> builder) { return builder->size(); }

std::string builder_repr(Shared<PyBuilder> builder) {
  return "<PolyglotBuilder " + std::to_string(builder->size()) + " moves>";
}

const bind::ClassSpec<PyBuilder> kBuilderClass{
    .name = "vorn.polyglot.PolyglotBuilder",
    .doc = "PolyglotBuilder(*, max_ply=None, min_count=1)\n--\n\n"
           "Counts the moves of the games it is given and writes them as a book.",
    .methods = {bind::method<&add_game>(
                    "add_game",
                    "add_game($self, game)\n--\n\nCounts every move of `game`, each in the position it was played in."),
                bind::method<&add_pgn>("add_pgn",
                                       "add_pgn($self, path)\n--\n\n"
                                       "Counts every game of the PGN file at `path`, skipping the ones that do\n"
                                       "not read; returns how many were counted.\n\n"
                                       "Other threads run meanwhile. Interrupted (Ctrl-C), it raises and\n"
                                       "leaves the builder usable, holding only the games read whole."),
                bind::method<&add_pgn_string>(
                    "add_pgn_string", "add_pgn_string($self, text)\n--\n\nThe same for PGN held as text."),
                bind::method<&builder_entries>(
                    "entries", "entries($self)\n--\n\nThe book rows: sorted, merged, and filtered by `min_count`."),
                bind::method<&write_builder>("write", "write($self, path)\n--\n\nWrites those rows to `path`.")},
    .slots = {bind::constructor<&new_builder>, bind::len<&builder_length>, bind::repr<&builder_repr>},
};

}  // namespace

PyTypeObject* PyBuilder::type() { return bind::type_object(kBuilderClass); }

}  // namespace vorn::python
