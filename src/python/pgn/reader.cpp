// PgnReader and the reading functions, as Python sees them:
//
//   for game in pgn_read("games.pgn", skip_errors=False): ...   # ValueError "line 3, column 1: ..."
//   for game in pgn_read_string(text): ...                      # PgnGame objects, read lazily
//   pgn_count("games.pgn")                                      # games that read without error
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "pgn/read.hpp"
#include "pgn/source.hpp"
#include "python/bind/interrupt.hpp"
#include "python/bind/module.hpp"
#include "python/bind/path.hpp"
#include "python/errors/exceptions.hpp"
#include "python/pgn/classes.hpp"
#include "python/pgn/reading.hpp"

namespace vorn::python {

namespace {

namespace model = vorn::pgn;
using bind::PathBytes;
using bind::Ref;

// One stream of games: its source, the reader over it and the record being
// built. A step runs in the stream's own turn, so steps never interleave,
// and with the interpreter lock held but while a read waits: giving the lock
// away for each game would leave the step waiting to take it back behind
// every busy thread. A step that broke an invariant leaves the
// stream unusable, while running out of memory (MemoryError) does not.
struct Stream {
  Stream(std::unique_ptr<model::LineSource> source, bool skip_errors, std::optional<PathBytes> path)
      : source(std::move(source)), reader(*this->source, skip_errors), path(std::move(path)) {}

  std::unique_ptr<model::LineSource> source;
  model::Reader reader;
  model::RecordBuilder builder;
  // A game read but not yet handed out: one that a signal handler's
  // exception, or MemoryError, kept from going out waits for the next call.
  std::shared_ptr<model::Game> unclaimed;
  std::optional<PathBytes> path;  // the file's, to name it in a read failure
  bool broken = false;
  bind::Turns turns;
};

VORN_CLASS(PyPgnReader, Stream);

// Only files fail to read.
void read_failed(const Stream& stream, model::IoError error) { bind::raise_os_error(error.code, stream.path.value()); }

// The next game's record; null at the end. An interrupted read raises, and
// the reader keeps what it read for the next call.
std::shared_ptr<model::Game> read_next(Stream& stream) {
  // Made before the read, so that running short of memory here loses nothing.
  auto record = std::make_shared<model::Game>();
  std::expected<model::Reader::Step, model::IoError> step;
  try {
    step = stream.reader.read_game(stream.builder);
  } catch (const Panic&) {
    stream.broken = true;
    throw;
  }
  if (!step) read_failed(stream, step.error());
  switch (*step) {
    case model::Reader::Step::Game: *record = stream.builder.take(); return record;
    case model::Reader::Step::Error: errors::value_error(stream.reader.error().message());
    // The handler's exception is set.
    case model::Reader::Step::Interrupted: throw bind::PythonError{};
    case model::Reader::Step::End: break;
  }
  return nullptr;
}

std::optional<Ref> next_game(PyPgnReader& self) {
  // Loops that drive an iterator from C (list(reader)) check no signals of
  // their own: a Ctrl-C is raised here, before the next game is taken.
  if (PyErr_CheckSignals() < 0) throw bind::PythonError{};
  Stream& stream = self.value;
  // Another thread's step may hold the stream while its read waits.
  const auto turn = stream.turns.take("next() of a PgnReader that this thread is reading (from a signal handler, say)");
  if (stream.broken) panic("a PGN reader is used again after an internal failure broke it");
  if (!stream.unclaimed) stream.unclaimed = read_next(stream);
  if (!stream.unclaimed) return std::nullopt;  // the end
  Ref game = bind::make<PyPgnGame>(stream.unclaimed);
  // A handler's exception pending as the call returns would be raised
  // before the caller stores the game: signals are looked at once more,
  // after all but the return itself, and the game waits for the next call.
  if (PyErr_CheckSignals() < 0) throw bind::PythonError{};
  stream.unclaimed.reset();
  return game;
}

std::string reader_repr(const PyPgnReader&) { return "<PgnReader>"; }

const bind::ClassSpec<PyPgnReader> kPgnReaderClass{
    .name = "vorn.pgn.PgnReader",
    .doc = "An iterator over the games of a PGN source.",
    .slots = {bind::iter_self, bind::next<&next_game>, bind::repr<&reader_repr>},
};

Ref pgn_read(const PathBytes& path, bool skip_errors) {
  auto file = std::make_unique<model::FileSource>(pgn::open_stream(path));
  return bind::make<PyPgnReader>(std::move(file), skip_errors, path);
}

Ref pgn_read_string(std::string_view text, bool skip_errors) {
  return bind::make<PyPgnReader>(std::make_unique<model::OwnedTextSource>(std::string(text)), skip_errors,
                                 std::nullopt);
}

std::uint64_t pgn_count(const PathBytes& path) {
  model::FileSource file = pgn::open_file(path);
  model::Visitor counting;  // a visitor that keeps nothing
  return pgn::read_all_games(file, counting, &path);
}

}  // namespace

PyTypeObject* PyPgnReader::type() { return bind::type_object(kPgnReaderClass); }

void pgn::add_reader(bind::Module& module) {
  module.add_classes<PyPgnReader>();
  module.add_function(bind::function<&pgn_read>(
                          "pgn_read",
                          "pgn_read(path, *, skip_errors=False)\n--\n\n"
                          "Streams the games of the PGN file at `path`.\n\n"
                          "With `skip_errors`, a malformed game is dropped; without it, one raises\n"
                          "`ValueError` naming the line and column, and the stream goes on with the\n"
                          "next game. A line longer than 16 MiB, or a game longer than 64 MiB, is\n"
                          "malformed. A read that Ctrl-C interrupts loses nothing: the next call\n"
                          "goes on from where it stopped, and a game read by then waits for it, as\n"
                          "it does when `MemoryError` comes as it is handed out (memory that runs\n"
                          "out part way through reading a game drops that game). Signals are checked\n"
                          "once more just before `next()` hands a game out: only a Ctrl-C in the\n"
                          "moment between that check and the caller storing the game (as `next()`\n"
                          "returns) loses it; a `for` loop stores it first."));
  module.add_function(bind::function<&pgn_read_string>(
                          "pgn_read_string",
                          "pgn_read_string(text, *, skip_errors=False)\n--\n\nStreams the games PGN `text` holds."));
  module.add_function(bind::function<&pgn_count>(
                          "pgn_count",
                          "pgn_count(path)\n--\n\n"
                          "How many games the PGN file at `path` holds that read without error."));
}

}  // namespace vorn::python
