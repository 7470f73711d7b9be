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

std::uint64_t add_pgn(Exclusive<PyBuilder> builder, const bind::Path& path) {
  auto file = vorn::pgn::FileSource::open(path.bytes);
  if (!file) bind::raise_os_error(file.error().code, path);
  const auto counted = builder->add_pgn(*file);
  if (!counted) bind::raise_os_error(counted.error().code, path);
  return *counted;
}

std::uint64_t add_pgn_string(Exclusive<PyBuilder> builder, std::string_view text) {
  vorn::pgn::TextSource source(text);
  // Text in memory has no read to fail.
  return builder->add_pgn(source).value();
}

std::vector<model::Raw> builder_entries(Shared<PyBuilder> builder) { return builder->entries(); }

void write_builder(Shared<PyBuilder> builder, const bind::Path& path) {
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
                                       "not read; returns how many were counted."),
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
