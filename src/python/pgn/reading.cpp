#include "python/pgn/reading.hpp"

#include <utility>

#include "error/error.hpp"
#include "python/bind/interrupt.hpp"

namespace vorn::python::pgn {

namespace model = vorn::pgn;

model::FileSource open_file(const bind::Path& path) {
  auto file = bind::without_lock([&] { return model::FileSource::open(path.bytes, bind::run_signal_handlers); });
  if (!file) bind::raise_os_error(file.error().code, path);
  return std::move(*file);
}

std::uint64_t read_all_games(model::LineSource& source, model::Visitor& visitor, const bind::Path* path) {
  model::GameRun run(source, visitor);
  const bool finished = bind::interruptible([&](auto end) { return run.read_until(end); }, [] {});
  // An interrupted read gives up with the handler's exception set.
  if (!finished || PyErr_Occurred() != nullptr) throw bind::PythonError{};
  const auto games = run.result();
  if (!games) {
    if (path == nullptr) panic("text in memory failed to read");
    bind::raise_os_error(games.error().code, *path);
  }
  return *games;
}

}  // namespace vorn::python::pgn
