// An engine's message read against the position searched: the move texts of
// a report or a best move become legal moves of that position, so both the
// Python classes and the engine's own search steps read them one way.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "moves/moves.hpp"
#include "position/position.hpp"
#include "variant/variant.hpp"
#include "uci/lines.hpp"

namespace vorn::uci::protocol {

// The texts read one after another from `from`, each played before the next
// is read; ends before the first text that is no legal move there.
std::vector<Move> moves_of_line(const Variant& variant, const Position& from,
                                std::span<const std::string> texts);
// The legal move `text` names in `position`; none for no text or no such move.
std::optional<Move> read_move(const Variant& variant, const Position& position,
                              const std::optional<std::string>& text);

struct InfoMoves {
  std::vector<Move> pv;
  std::vector<Move> refutation;
  std::vector<Move> currline;
  std::optional<Move> currmove;  // read in the position searched
};
InfoMoves moves_of(const Info& info, const Variant& variant, const Position& searched);

// One info report with its moves read.
struct Report {
  Info info;
  InfoMoves moves;
};
Report report_of(Info info, const Variant& variant, const Position& searched);

struct Answer {
  std::optional<Move> best;
  std::optional<Move> ponder;  // needs a legal best move; read after it
};
Answer answer_of(const BestMove& bestmove, const Variant& variant, const Position& searched);

// A message in its kinds' own order, the report and the best move read as moves.
using Reading = std::variant<Id, UciOk, ReadyOk, OptionSpec, Report, Answer, Raw>;
Reading read(Message message, const Variant& variant, const Position& searched);

}  // namespace vorn::uci::protocol
