// What each side stands to lose where its units stand, its overworked
// defenders, and the x-rays and batteries of its sliders.
#pragma once

#include "facts/record.hpp"
#include "facts/scan.hpp"
#include "position/position.hpp"

namespace vorn::facts {

ThreatFacts threat_facts(const Position& p, const Scan& scan);

}  // namespace vorn::facts
