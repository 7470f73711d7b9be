// Engine, as Python sees it (the searches are in engine_searches.cpp):
//
//   with Engine("/usr/games/stockfish", timeout=5.0) as engine:
//       engine.handshake(); engine.name, engine.options, engine.option("hash")
//       engine.set_option("Hash", 64); engine.is_ready(); engine.set_position(game)
//       engine.send_line("d"); engine.next_line(0.2); engine.state, engine.is_alive
//   engine.quit() -> exit code or None; engine.kill()
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "python/bind/module.hpp"
#include "python/bind/path.hpp"
#include "python/errors/exceptions.hpp"
#include "python/game/classes.hpp"
#include "python/uci/engine_classes.hpp"
#include "text/quote.hpp"
#include "uci/engine/live.hpp"

namespace vorn::python::uci {

engine::Duration call_timeout(EngineSlot& slot, std::optional<double> timeout) {
  if (timeout) return seconds("timeout", *timeout);
  return read_slot(slot, [](const engine::Engine* e) { return e ? e->timeout() : engine::Duration{}; });
}

namespace {

// What the engine declared of an option's name, read with the slot once:
// a closed engine is refused in the same read, never taken for one that
// lacks the option.
struct Declared {
  bool identifying;  // its options are still coming
  std::optional<protocol::OptionSpec> option;
};

Declared declared_option(EngineSlot& slot, std::string_view name) {
  const auto declared = read_slot(slot, [&](engine::Engine* e) -> std::optional<Declared> {
    if (!e) return std::nullopt;
    const protocol::OptionSpec* found = e->option(name);
    return Declared{e->state() == protocol::State::Identifying, found ? std::optional(*found) : std::nullopt};
  });
  if (!declared) engine_closed();
  return *declared;
}

}  // namespace

void set_option(const Slot& slot, std::string_view name, PyObject* value) {
  // An engine still identifying is waited for in the turn, then asked again.
  std::optional<Turn> turn;
  Declared declared = declared_option(*slot, name);
  if (declared.identifying) {
    turn.emplace(take_idle_turn(*slot));
    declared = declared_option(*slot, name);
  }
  if (!declared.option) errors::value_error("the engine offers no option " + quoted(name));
  const protocol::OptionValue read = read_value(*declared.option, value);
  if (!turn) turn.emplace(take_idle_turn(*slot));
  on_engine(*slot, [&](engine::Engine& e) { return e.set_option(name, read); });
}

namespace {

using engine::Engine;

// Whether the exit function is registered with this interpreter; under the
// interpreter lock. The function clears it as it runs, so that an embedder
// that finalizes Python and initializes it again registers it again.
bool registered_at_exit = false;

void at_exit() {
  engine::kill_live_engines();
  registered_at_exit = false;
}

// An engine can outlive its Engine: a daemon thread ended inside a call, or
// a cycle never collected, holds it to the end. Python's atexit callbacks
// would come too early, while such a thread may still start one. Registered
// with the first engine, so a full table fails that engine, not the import.
void kill_engines_at_exit() {
  if (registered_at_exit) return;
  if (Py_AtExit(&at_exit) < 0) bind::raise(PyExc_RuntimeError, "no room left to kill the engines at exit");
  registered_at_exit = true;
}

// `args` is null when left out; None is no sequence of arguments.
Slot new_engine(bind::Path command, PyObject* args, std::optional<bind::Path> cwd, double timeout) {
  engine::Launch launch(command.bytes);
  if (args != nullptr) {
    for (bind::Path& arg : bind::from_python<std::vector<bind::Path>>(args, "args")) launch.arguments.push_back(std::move(arg.bytes));
  }
  if (cwd) launch.cwd = cwd->bytes;
  launch.timeout = seconds("timeout", timeout);
  kill_engines_at_exit();
  auto started = std::move(launch).spawn();
  if (!started) {
    // A program that cannot start is Python's own error: FileNotFoundError,
    // PermissionError, ... with its errno and, as the filename, the program
    // or the working directory, whichever failed. Another failure (a pipe,
    // a thread) says what it was, with its errno.
    using engine::error::Failed;
    const auto* failed = std::get_if<engine::error::Io>(&started.error());
    if (failed && failed->code != 0 && failed->failed != Failed::Other)
      bind::raise_os_error(failed->code, failed->failed == Failed::WorkingDirectory ? *cwd : command);
    raise_engine_error(started.error());
  }
  return std::make_shared<EngineSlot>(std::move(*started));
}

// ---- slot, the interpreter lock held ----

double timeout_of(const Slot& slot) { return call_timeout(*slot, std::nullopt).to_seconds(); }

void set_timeout(const Slot& slot, double value) {
  const engine::Duration timeout = seconds("timeout", value);
  read_slot(*slot, [&](Engine* e) {
    if (e) e->set_timeout(timeout);
  });
}

template <auto Field>
std::optional<std::string> identity_field(const Slot& slot) {
  return read_slot(*slot, [](const Engine* e) { return e ? e->identity().*Field : std::nullopt; });
}

bind::Ref options_of(const Slot& slot) {
  const auto declared = read_slot(
      *slot, [](const Engine* e) { return e ? e->options() : std::vector<protocol::OptionSpec>{}; });
  // A name declared twice keeps its first place and its last declaration.
  bind::Ref options = bind::Ref::check(PyDict_New());
  for (const protocol::OptionSpec& option : declared) {
    bind::check(PyDict_SetItem(options.get(), bind::to_python(option.name).get(), bind::to_python(option).get()));
  }
  return options;
}

std::optional<protocol::OptionSpec> option_of(const Slot& slot, std::string_view name) {
  return read_slot(*slot, [&](const Engine* e) -> std::optional<protocol::OptionSpec> {
    const protocol::OptionSpec* found = e ? e->option(name) : nullptr;
    if (!found) return std::nullopt;
    return *found;
  });
}

std::string_view state_of(const Slot& slot) {
  return read_slot(*slot, [](Engine* e) {
    return protocol::state_name(e ? e->state() : protocol::State::Quitting);
  });
}

bool alive(const Slot& slot) {
  return read_slot(*slot, [](Engine* e) { return e && e->is_alive(); });
}

// Tracebacks, loggers and debuggers of a forked child call it too.
std::string engine_repr(const Slot& slot) {
  if (!slot->reaper->belongs_here()) return "<Engine of another process>";
  const auto name = identity_field<&engine::Identity::name>(slot);
  return "<Engine " + (name ? *name + " " : "") + std::string(state_of(slot)) + ">";
}

// ---- through on_engine ----

void handshake(const Slot& slot) {
  const auto turn = take_idle_turn(*slot);
  begin_and_wait(*slot, [](Engine& e) { return e.begin_handshake(); }, kNothingToTidy);
}

void set_option_from(const Slot& slot, std::string_view name, PyObject* value) { set_option(slot, name, value); }

void debug(const Slot& slot, bool on) {
  on_engine(*slot, [&](Engine& e) { return e.send(protocol::Command::debug(on)); });
}

void new_game(const Slot& slot) {
  const auto turn = take_idle_turn(*slot);
  begin_and_wait(*slot, [](Engine& e) { return e.begin_new_game(); }, kNothingToTidy);
}

void is_ready(const Slot& slot) {
  const auto turn = take_turn(*slot);
  begin_and_wait(*slot, [](Engine& e) { return e.begin_is_ready(); }, kNothingToTidy);
}

void set_position(const Slot& slot, bind::Shared<PyGame> game) {
  const Game copy = *game;
  const auto turn = take_idle_turn(*slot);
  begin_and_wait(*slot, [&](Engine& e) { return e.begin_set_position(copy); }, kNothingToTidy);
}

void send_line(const Slot& slot, std::string_view text) {
  on_engine(*slot, [&](Engine& e) { return e.send_line(text); });
}

std::optional<std::string> next_line(const Slot& slot, std::optional<double> timeout) {
  const engine::Instant deadline = engine::deadline_after(call_timeout(*slot, timeout));
  const auto turn = take_turn(*slot);
  return wait_on_engine(
      *slot, [&](Engine& e, engine::Instant end) { return e.next_line(end, deadline); }, [](Engine&) {});
}

// ---- closing ----

// Like kill, quit does not wait for the turn: a call waiting on the engine
// finds it closed.
std::optional<std::int32_t> quit(const Slot& slot) {
  check_process(*slot);
  std::optional<Engine> taken = bind::without_gil([&]() -> std::optional<Engine> {
    const auto lock = take_slot(*slot);
    std::optional<Engine> held = std::exchange(slot->engine, std::nullopt);
    if (slot->closing) return std::nullopt;  // killed meanwhile: dropped here, reaped
    return held;
  });
  if (!taken) return std::nullopt;
  // The engine is out of the slot: this call alone reaches it now.
  std::optional<engine::Stepped<std::optional<std::int32_t>>> code;
  engine::Exit exit = bind::without_gil([&] { return taken->begin_quit(); });
  const bool finished = bind::interruptible(
      [&](engine::Instant end) {
        code.emplace(taken->step(exit, end));
        return !*code || **code;
      },
      [&] { (void)taken->kill(); });
  // Reaped already, or left running when it could not be killed: dropping
  // it waits for nothing.
  bind::without_gil([&] { taken.reset(); });
  if (!finished) throw bind::PythonError{};
  if (!*code) raise_engine_error(code->error());
  return ***code;
}

// An engine the signal may not reach is closed all the same, its process left.
void kill(const Slot& slot) {
  check_process(*slot);
  const auto killed = bind::without_gil([&] {
    slot->closing = true;
    auto signalled = slot->reaper->kill();
    // A busy slot is emptied by its holder when it lets go.
    const std::unique_lock lock(slot->mutex, std::try_to_lock);
    if (lock.owns_lock()) slot->engine.reset();
    return signalled;
  });
  if (!killed) raise_engine_error(engine::unkillable(killed.error()));
}

bind::Ref enter(PyObject* self) { return bind::Ref::borrow(self); }

void exit(const Slot& slot) { quit(slot); }

}  // namespace

namespace {

const bind::ClassSpec<PyEngine> kEngineClass{
    .name = "vorn.uci.Engine",
    .doc = "Engine(command, args=..., *, cwd=None, timeout=10.0)\n--\n\n"
           "A UCI engine process, addressed with blocking calls.\n\n"
           "Every wait is bounded by `timeout` seconds, or by the `timeout` of the\n"
           "call that takes one: `play` and `analyse` bound each silence between two\n"
           "reports, while a `go` search's `timeout` bounds the whole search. An engine\n"
           "that has exited raises `EngineDied` on every call after. Use the object\n"
           "as a context manager, or close it with `quit`. A `command` without a\n"
           "slash is looked up on `PATH`; another relative one is found from `cwd`\n"
           "when one is given.\n\n"
           "`play` with infinite or ponder limits ends only when the engine stops.\n"
           "Ctrl-C ends any wait on the engine within a tenth of a second: a search\n"
           "under way is told to stop, and the engine stays usable. Calls of several\n"
           "threads that wait on the engine take turns; meanwhile `state`, `is_alive`\n"
           "and a search's `stop` answer at once.\n\n"
           "The engine belongs to its host's job: Ctrl-Z, a hang-up or a kill of the\n"
           "job reach it too; engines still open when the interpreter exits are\n"
           "killed, and a wrapper script should `exec` its engine, so that a kill\n"
           "reaches the engine itself. While a call waits on the engine, time the\n"
           "job spends stopped counts toward no timeout, so the call answers after\n"
           "`fg`. The engine starts with SIGINT ignored, so a terminal's Ctrl-C,\n"
           "which reaches the whole job, leaves it running; but an engine that sets\n"
           "a SIGINT handler of its own when it starts, as Go and Rust programs\n"
           "often do, receives that Ctrl-C and may die of it (Stockfish,\n"
           "Fairy-Stockfish and Toga II set none).",
    .getters = {bind::property<&timeout_of, &set_timeout>(
                    "timeout", "How long a wait that is not given its own limit may take, in seconds.", "timeout"),
                bind::getter<&identity_field<&engine::Identity::name>>("name", "The engine's `id name`."),
                bind::getter<&identity_field<&engine::Identity::author>>("author", "The engine's `id author`."),
                bind::getter<&options_of>(
                    "options", "Every option the engine offers, by name, in the order it declared them."),
                bind::getter<&state_of>("state",
                                        "What the engine is doing: `started`, `identifying`, `idle`, `searching`,\n"
                                        "`pondering` or `quitting`."),
                bind::getter<&alive>("is_alive", "Whether the process is still running.")},
    .methods =
        {bind::method<&handshake>("handshake",
                                  "handshake($self)\n--\n\nSends `uci` and collects what the engine says about itself."),
         bind::method<&option_of>("option",
                                  "option($self, name)\n--\n\nThe option of that name, matched without regard to case."),
         bind::method<&set_option_from>("set_option",
                                        "set_option($self, name, value=None)\n--\n\n"
                                        "Sets one option to a value of the option's own type: a bool for a\n"
                                        "`check`, an int for a `spin`, text for a `combo` or a `string`, `None`\n"
                                        "for a `button`."),
         bind::method<&debug>("debug", "debug($self, on)\n--\n\nTurns the engine's `info string` diagnostics on or off."),
         bind::method<&new_game>(
             "new_game", "new_game($self)\n--\n\nAnnounces a new game and waits for the engine to be ready again."),
         bind::method<&is_ready>("is_ready", "is_ready($self)\n--\n\nSends `isready` and waits for `readyok`."),
         bind::method<&set_position>("set_position",
                                     "set_position($self, game)\n--\n\n"
                                     "Sets the position to `game`, putting the engine into its variant first;\n"
                                     "a Chess960 game needs the engine to offer `UCI_Chess960`, and one that\n"
                                     "does not raises `ValueError`."),
         bind::method<&go>("go",
                           "go($self, limits=None, *, timeout=None)\n--\n\n"
                           "Starts a search on the position last set, to be read report by report."),
         bind::method<&play>("play",
                             "play($self, game, limits=None, *, timeout=None)\n--\n\n"
                             "Sets the position, searches it, and answers."),
         bind::method<&analyse>("analyse",
                                "analyse($self, game, limits=None, *, multipv=None, timeout=None)\n--\n\n"
                                "Searches `game` and answers with the deepest report of each variation,\n"
                                "ranked as the engine ranked them; `multipv` sets the engine's `MultiPV`\n"
                                "first, and it stays set."),
         bind::method<&send_line>("send_line",
                                  "send_line($self, text)\n--\n\nWrites one line, bypassing the order of the conversation."),
         bind::method<&next_line>("next_line",
                                  "next_line($self, timeout=None)\n--\n\n"
                                  "The next line the engine wrote, or `None` if it wrote none in time."),
         bind::method<&quit>("quit",
                             "quit($self)\n--\n\n"
                             "Asks the engine to exit, killing it if it will not, and answers with\n"
                             "its exit code (`None` when a signal ended it). An engine the system\n"
                             "does not let the host kill raises `OSError`; it is closed,\n"
                             "its process left running."),
         bind::method<&kill>("kill",
                             "kill($self)\n--\n\nKills the process. An engine the system does not let the host\n"
                             "kill (another user's, or a sandbox's refusal) raises `OSError`;\n"
                             "it is closed, its process left running."),
         bind::method<&enter>("__enter__", "__enter__($self)\n--\n\n"),
         bind::method<&exit>("__exit__", "__exit__($self, *_args)\n--\n\nQuits the engine.")},
    .slots = {bind::constructor<&new_engine>, bind::repr<&engine_repr>},
};

}  // namespace

PyTypeObject* PyEngine::type() { return bind::type_object(kEngineClass); }

}  // namespace vorn::python::uci
