#include <utility>

#include "error/error.hpp"
#include "endings/measure.hpp"
#include "endings/rulings.hpp"

namespace vorn::endings {

Classification classify(const Position& position) {
  const board::Board& b = position.board;
  if (b.pieces(Role::King, Colour::White).empty() || b.pieces(Role::King, Colour::Black).empty())
    panic("No king was found.");
  Signature signature = signature_of(b);
  Evidence evidence = evidence_of(b);
  const Ruling ruling = rule(signature, evidence);
  // Draws and unknown results name no side; White stands in for none.
  const Colour winner = ruling.winner == Side::Weaker ? !signature.stronger
                        : ruling.winner == Side::Stronger ? signature.stronger
                                                          : Colour::White;
  return {
      .ending_class = ruling.ending_class,
      .signature = std::move(signature),
      .verdict = {ruling.verdict, winner},
      .technique = ruling.technique,
      .evidence = std::move(evidence),
  };
}

std::optional<Colour> Verdict::winner() const {
  if (kind == VerdictKind::Draw || kind == VerdictKind::Unknown) return std::nullopt;
  return colour;
}

}  // namespace vorn::endings
