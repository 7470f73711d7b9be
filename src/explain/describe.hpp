// Each explanation record said as one plain English sentence (or two, for
// the fifty-move clock with its last reset).
#pragma once

#include <optional>
#include <string>

#include "explain/records.hpp"

namespace vorn::explain {

std::string describe(const Castling& c);
// No record: no pawn has just made a double step.
std::string describe(const std::optional<EnPassant>& e);
std::string describe(const EpCapture& c);
std::string describe(const EpObstacle& o);
std::string describe(const Pin& p);
std::string describe(const Skewer& s);
std::string describe(const Repetition& r);
std::string describe(const NearMiss& n);
std::string describe(const FiftyMove& f);
std::string describe(const Reset& r);
std::string describe(const DrawStatus& d);
std::string describe(const AutomaticDraw& d);
std::string describe(const ClaimableDraw& d);
std::string describe(const StalemateDetail& s);
std::string describe(const Stuck& s);

}  // namespace vorn::explain
