#include "uci/reading.hpp"

#include <memory>
#include <type_traits>
#include <utility>

namespace vorn::uci::protocol {

std::vector<Move> moves_of_line(const Variant& variant, const Position& from,
                                std::span<const std::string> texts) {
  std::vector<Move> moves;
  moves.reserve(texts.size());
  Position at = from;
  for (const std::string& text : texts) {
    const auto move = variant.move_from_uci(at, text);
    if (!move) break;
    moves.push_back(*move);
    at = variant.play(at, *move);
  }
  return moves;
}

std::optional<Move> read_move(const Variant& variant, const Position& position,
                              const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  const auto move = variant.move_from_uci(position, *text);
  return move ? std::optional<Move>(*move) : std::nullopt;
}

InfoMoves moves_of(const Info& info, const Variant& variant, const Position& searched) {
  const std::vector<std::string> no_line;
  return {
      .pv = moves_of_line(variant, searched, info.pv),
      .refutation = moves_of_line(variant, searched, info.refutation),
      .currline = moves_of_line(variant, searched, info.currline ? info.currline->moves : no_line),
      .currmove = read_move(variant, searched, info.currmove),
  };
}

Report report_of(Info info, const Variant& variant, const Position& searched) {
  InfoMoves moves = moves_of(info, variant, searched);
  return {std::move(info), std::move(moves)};
}

Answer answer_of(const BestMove& bestmove, const Variant& variant, const Position& searched) {
  const auto best = read_move(variant, searched, bestmove.best);
  if (!best) return {};
  return {best, read_move(variant, variant.play(searched, *best), bestmove.ponder)};
}

Reading read(Message message, const Variant& variant, const Position& searched) {
  return std::visit(
      [&](auto& payload) -> Reading {
        using Payload = std::decay_t<decltype(payload)>;
        if constexpr (std::is_same_v<Payload, std::unique_ptr<Info>>)
          return report_of(std::move(*payload), variant, searched);
        else if constexpr (std::is_same_v<Payload, BestMove>)
          return answer_of(payload, variant, searched);
        else return std::move(payload);
      },
      message.payload);
}

}  // namespace vorn::uci::protocol
