// Limits, as Python sees it:
//
//   limits = Limits(depth=12, movetime=0.25, search_moves=["e2e4"])  # keywords only, seconds
//   limits.depth, limits.movetime, limits.search_moves
//   repr(limits) == "<Limits go depth 12 movetime 250 searchmoves e2e4>"
#include <optional>
#include <string>
#include <vector>

#include "python/bind/members.hpp"
#include "python/errors/exceptions.hpp"
#include "python/uci/classes.hpp"

namespace vorn::python::uci {

namespace {

using protocol::Duration;
using protocol::Limits;

std::optional<Duration> duration(const char* name, std::optional<double> value) {
  if (!value) return std::nullopt;
  return seconds(name, *value);
}

Limits new_limits(std::optional<std::uint32_t> depth, std::optional<std::uint64_t> nodes,
                  std::optional<double> movetime, std::optional<std::uint32_t> mate, bool infinite,
                  bool ponder, std::optional<double> white_time, std::optional<double> black_time,
                  std::optional<double> white_increment, std::optional<double> black_increment,
                  std::optional<std::uint32_t> moves_to_go,
                  std::optional<std::vector<std::string>> search_moves) {
  // A braced list runs in order: the clocks, then movetime; the first refusal is raised.
  Limits limits{.search_moves = std::move(search_moves).value_or(std::vector<std::string>{}),
                .moves_to_go = moves_to_go,
                .depth = depth,
                .nodes = nodes,
                .mate = mate,
                .white_time = duration("white_time", white_time),
                .black_time = duration("black_time", black_time),
                .white_increment = duration("white_increment", white_increment),
                .black_increment = duration("black_increment", black_increment),
                .movetime = duration("movetime", movetime),
                .ponder = ponder,
                .infinite = infinite};
  if (auto safe = protocol::check_text(limits); !safe) unsafe_text(safe.error());
  return limits;
}

std::string limits_repr(const Limits& limits) {
  // Limits that were made are safe to write, so the command is always made.
  return "<Limits " + protocol::Command::go(limits).value().to_line() + ">";
}

const bind::ClassSpec<PyLimits> kLimitsClass{
    .name = "vorn.uci.Limits",
    .doc = "Limits(*, depth=None, nodes=None, movetime=None, mate=None, infinite=False, ponder=False, "
           "white_time=None, black_time=None, white_increment=None, black_increment=None, "
           "moves_to_go=None, search_moves=None)\n--\n\n"
           "What bounds a search. Times are seconds; nothing set asks the engine to\n"
           "search until stopped.",
    .getters = {bind::getter<field<&Limits::depth>>("depth", "Plies to search."),
                bind::getter<field<&Limits::nodes>>("nodes", "Nodes to search."),
                bind::getter<field<&Limits::movetime>>("movetime", "Seconds to search for."),
                bind::getter<field<&Limits::mate>>("mate", "Moves to a mate to search for."),
                bind::getter<field<&Limits::infinite>>("infinite", "Whether the search runs until stopped."),
                bind::getter<field<&Limits::ponder>>(
                    "ponder", "Whether the search runs on the move the position ends with."),
                bind::getter<field<&Limits::white_time>>("white_time", "White's clock, in seconds."),
                bind::getter<field<&Limits::black_time>>("black_time", "Black's clock, in seconds."),
                bind::getter<field<&Limits::white_increment>>(
                    "white_increment", "White's increment per move, in seconds."),
                bind::getter<field<&Limits::black_increment>>(
                    "black_increment", "Black's increment per move, in seconds."),
                bind::getter<field<&Limits::moves_to_go>>("moves_to_go",
                                                          "Moves left to the next time control."),
                bind::getter<field<&Limits::search_moves>>(
                    "search_moves", "The only moves to consider, in UCI notation.")},
    .slots = {bind::constructor<&new_limits>, bind::repr<&limits_repr>},
};

}  // namespace

protocol::Duration seconds(const char* name, double value) {
  auto made = protocol::seconds(name, value);
  if (!made) errors::value_error(made.error());
  return *made;
}

PyTypeObject* PyLimits::type() { return bind::type_object(kLimitsClass); }

}  // namespace vorn::python::uci
