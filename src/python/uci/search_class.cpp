// Search, as Python sees it (made only by Engine.go):
//
//   with engine.go(Limits(depth=12)) as search:
//       for info in search: info.depth, info.pv     # ends when the engine answers
//   search.answer().best; search.done; search.stop(); search.ponderhit()
#include <optional>
#include <string>

#include "python/uci/engine_classes.hpp"

namespace vorn::python::uci {

namespace {

using engine::Engine;

bool answered(SearchState& search) {
  return read_slot(*search.slot, [&](const Engine*) { return search.search.answer().has_value(); });
}

// The next report, or none once the answer has come (and is stored); with
// `to_the_answer`, reports are dropped on the way. Called in the search's
// turn; one wait in slices throughout, so Ctrl-C is noticed however fast
// the reports come.
std::optional<protocol::Report> step(SearchState& search, bool to_the_answer) {
  if (engine::time_left(search.search.deadline()) == engine::Clock::duration::zero())
    engine_timeout("no bestmove within the timeout");
  using Step = std::optional<protocol::Report>;
  return wait_on_engine(
      *search.slot,
      [&](Engine& e, engine::Instant end) -> engine::Stepped<Step> {
        while (true) {
          auto progress = e.step(search.search, end);
          if (!progress) return std::unexpected(std::move(progress.error()));
          if (!*progress) return std::nullopt;
          if (std::holds_alternative<engine::Answer>(**progress)) return std::optional<Step>(std::in_place);
          if (!to_the_answer)
            return std::optional<Step>(std::in_place, std::get<protocol::Report>(std::move(**progress)));
        }
      },
      [&](Engine& e) { e.interrupt(search.search); });
}

std::optional<protocol::Report> next(SearchState& search) {
  const auto turn = take_turn(*search.slot);
  if (answered(search)) return std::nullopt;
  auto report = step(search, false);
  if (report) search.search.hand_out();
  return report;
}

engine::Answer answer(SearchState& search) {
  const auto turn = take_turn(*search.slot);
  if (!answered(search)) step(search, true);
  return *search.search.answer();
}

template <auto Make>
void tell(SearchState& search) {
  on_engine(*search.slot, [&](Engine& e) { return e.tell(search.search, Make()); });
}

bind::Ref enter(PyObject* self) { return bind::Ref::borrow(self); }

void exit(SearchState& search) {
  if (answered(search)) return;
  try {
    tell<&protocol::Command::stop>(search);
    answer(search);
  } catch (...) {
    // Left unanswered: the engine's next call that needs it idle drains it.
    search.slot->abandoned.store(search.search.number());
    throw;
  }
}

// Its answer has passed, whoever read it (`next_line` may have).
bool done(SearchState& search) {
  return read_slot(*search.slot,
                   [&](const Engine* e) { return search.search.answer() || (e && e->answered(search.search)); });
}

// Tracebacks, loggers and debuggers of a forked child call it too.
std::string search_repr(SearchState& search) {
  if (!search.slot->reaper->belongs_here()) return "<Search of another process>";
  return done(search) ? "<Search answered>" : "<Search running>";
}

const bind::ClassSpec<PySearch> kSearchClass{
    .name = "vorn.uci.Search",
    .doc = "A search in flight: an iterator over its reports, ending with the engine's\n"
           "answer.\n\n"
           "A search that is neither finished nor stopped leaves the engine searching.\n"
           "Use it as a context manager, or call `stop` and `answer`.",
    .getters = {bind::getter<&done>("done", "Whether the engine has answered.")},
    .methods = {bind::method<&answer>(
                    "answer", "answer($self)\n--\n\nThe engine's answer, with the reports still to come dropped."),
                bind::method<&tell<&protocol::Command::stop>>(
                    "stop", "stop($self)\n--\n\nAsks the engine to finish the search now."),
                bind::method<&tell<&protocol::Command::ponder_hit>>(
                    "ponderhit", "ponderhit($self)\n--\n\nTells the engine the move it is pondering on was played."),
                bind::method<&enter>("__enter__", "__enter__($self)\n--\n\n"),
                bind::method<&exit>("__exit__",
                                    "__exit__($self, *_args)\n--\n\n"
                                    "Stops the search and waits for the answer, so the engine is left idle.")},
    .slots = {bind::iter_self, bind::next<&next>, bind::repr<&search_repr>},
};

}  // namespace

PyTypeObject* PySearch::type() { return bind::type_object(kSearchClass); }

}  // namespace vorn::python::uci
