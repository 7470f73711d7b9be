// What theory says of each ending: class, verdict and technique by material,
// for a few classes refined by the evidence.
#pragma once

#include "endings/endings.hpp"

namespace vorn::endings {

// Whose colour a verdict names, relative to the signature.
enum class Side : std::uint8_t { Stronger, Weaker, Neither };

struct Ruling {
  EndingClass ending_class;
  VerdictKind verdict;
  Side winner;
  EndingTechnique technique;
};

Ruling rule(const Signature& signature, const Evidence& evidence);

}  // namespace vorn::endings
