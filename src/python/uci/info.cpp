// Info and Answer, as Python sees them (made only from engine lines):
//
//   info.depth, info.cp, info.mate, info.bound, info.pv (Moves), info.unknown
//   repr(info) == "<Info depth 12 cp 31 pv e2e4 e7e5>"
//   answer.best, answer.ponder; repr(answer) == "<Answer e2e4>"
#include <optional>
#include <string>
#include <vector>

#include "python/board/classes.hpp"
#include "python/names/names.hpp"
#include "python/uci/classes.hpp"

namespace vorn::python::uci {

namespace {

using protocol::Info;
using protocol::Report;
using protocol::ScoreUnit;

template <auto Field>
auto field_of(const Report& report) {
  return report.info.*Field;
}

template <auto Moves>
auto moves_in(const Report& report) {
  return report.moves.*Moves;
}

template <ScoreUnit Unit>
std::optional<std::int32_t> score_of(const Report& report) {
  const auto& score = report.info.score;
  return score && score->unit == Unit ? std::optional(score->value) : std::nullopt;
}

std::optional<std::string_view> bound_of(const Report& report) {
  const auto& bound = report.info.bound;
  return bound ? std::optional(protocol::name(*bound)) : std::nullopt;
}

std::optional<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>> wdl_of(const Report& report) {
  const auto& wdl = report.info.wdl;
  if (!wdl) return std::nullopt;
  return std::tuple{wdl->win, wdl->draw, wdl->loss};
}

std::optional<std::uint32_t> currline_cpu_of(const Report& report) {
  const auto& line = report.info.currline;
  return line ? line->cpu : std::nullopt;
}

std::string info_repr(const Report& report) {
  const Info& info = report.info;
  std::string text = "<Info depth " + (info.depth ? std::to_string(*info.depth) : "-");
  if (info.score) {
    text += info.score->unit == ScoreUnit::Cp ? " cp " : " mate ";
    text += std::to_string(info.score->value);
  }
  text += " pv";
  for (const std::string& move : convert::uci_texts(report.moves.pv)) text += " " + move;
  if (report.moves.pv.empty()) text += " ";
  return text + ">";
}

const bind::ClassSpec<PyInfo> kInfoClass{
    .name = "vorn.uci.Info",
    .doc = "One `info` line of a search, with its moves read against the position\nsearched.",
    .getters = {
        bind::getter<&field_of<&Info::depth>>("depth", "Plies searched."),
        bind::getter<&field_of<&Info::seldepth>>("seldepth", "Plies searched on the deepest line."),
        bind::getter<&field_of<&Info::time>>("time", "Seconds spent."),
        bind::getter<&field_of<&Info::nodes>>("nodes", "Nodes searched."),
        bind::getter<&field_of<&Info::nps>>("nps", "Nodes per second."),
        bind::getter<&moves_in<&protocol::InfoMoves::pv>>(
            "pv", "The principal variation, up to the first move that is not legal."),
        bind::getter<&field_of<&Info::multipv>>(
            "multipv", "Which of the ranked variations this report is, counting from 1."),
        bind::getter<&score_of<ScoreUnit::Cp>>(
            "cp", "The score in centipawns, from the side to move's point of view."),
        bind::getter<&score_of<ScoreUnit::Mate>>(
            "mate", "Moves to a forced mate, negative when it is against the side to move."),
        bind::getter<&bound_of>("bound", "`lowerbound`, `upperbound`, or `None` when the score is exact."),
        bind::getter<&wdl_of>("wdl", "Win, draw and loss in permille, for the side to move."),
        bind::getter<&moves_in<&protocol::InfoMoves::currmove>>("currmove", "The move being searched."),
        bind::getter<&field_of<&Info::currmovenumber>>(
            "currmovenumber", "Its ordinal among the root moves, counting from 1."),
        bind::getter<&field_of<&Info::hashfull>>("hashfull", "How full the hash table is, in permille."),
        bind::getter<&field_of<&Info::tbhits>>("tbhits", "Endgame-table hits."),
        bind::getter<&field_of<&Info::sbhits>>("sbhits", "Shredder endgame-base hits."),
        bind::getter<&field_of<&Info::cpuload>>("cpuload", "CPU load, in permille."),
        bind::getter<&moves_in<&protocol::InfoMoves::refutation>>(
            "refutation", "The move refuted followed by the line that refutes it."),
        bind::getter<&moves_in<&protocol::InfoMoves::currline>>("currline", "The line a CPU is searching now."),
        bind::getter<&currline_cpu_of>("currline_cpu", "Which CPU `currline` belongs to, when the engine says."),
        bind::getter<&field_of<&Info::string>>("string", "The rest of the line after `string`, spacing kept."),
        bind::getter<&field_of<&Info::unknown>>(
            "unknown", "Tokens the parser did not understand, in the order they arrived.")},
    .slots = {bind::repr<&info_repr>},
};

// ---- Answer ----

std::optional<Move> best_of(const protocol::Answer& answer) { return answer.best; }
std::optional<Move> ponder_of(const protocol::Answer& answer) { return answer.ponder; }

std::string answer_repr(const protocol::Answer& answer) {
  return "<Answer " + (answer.best ? move_uci(*answer.best, CastlingStyle::KingToRook) : "(none)") + ">";
}

const bind::ClassSpec<PyAnswer> kAnswerClass{
    .name = "vorn.uci.Answer",
    .doc = "An engine's answer to a search.",
    .getters = {bind::getter<&best_of>("best",
                                       "The move chosen, or `None` when the engine reported that it has none."),
                bind::getter<&ponder_of>("ponder", "The reply it expects.")},
    .slots = {bind::repr<&answer_repr>},
};

}  // namespace

PyTypeObject* PyInfo::type() { return bind::type_object(kInfoClass); }
PyTypeObject* PyAnswer::type() { return bind::type_object(kAnswerClass); }

}  // namespace vorn::python::uci
