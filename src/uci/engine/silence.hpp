// How long a wait lets an engine stay silent, counted on the time its host
// runs. Ctrl-Z stops the engine with its host, as they share the job, and
// the stretch until `fg` is nobody's silence; yet no clock leaves out the
// time a process spent stopped (the monotonic and the boot clock both run
// on). So the wait notices a stop itself: it looks at the clock at least
// every kLook, and a gap between two looks longer than kGapCounted, which
// only a stop (or a host starved of the processor) makes, counts no more.
//
//   Silence silence(timeout);
//   for (Instant now = Clock::now(); now < silence.look(now); now = Clock::now())
//     wait_for_a_line(std::min(silence.deadline(), now + Silence::kLook));
#pragma once

#include <chrono>
#include <optional>

#include "uci/engine/error.hpp"

namespace vorn::uci::engine {

class Silence {
 public:
  // The longest a wait goes between two looks; the most a gap between
  // them counts, twice that, so a late wake-up on a busy machine loses
  // little of a silence that is real.
  static constexpr auto kLook = std::chrono::milliseconds(50);
  static constexpr auto kGapCounted = 2 * kLook;

  explicit Silence(Duration bound) : bound_(bound), deadline_(deadline_after(bound)) {}

  Duration bound() const { return bound_; }
  // When the bound runs out, as the last look left it.
  Instant deadline() const { return deadline_; }

  // The deadline at `now`, moved on by what a gap since the last look
  // does not count.
  Instant look(Instant now) {
    if (last_look_ && now - *last_look_ > kGapCounted) deadline_ += now - *last_look_ - kGapCounted;
    last_look_ = now;
    return deadline_;
  }
  // The wait hands its caller something and waits no more until called
  // again: the caller's time before that counts whole.
  void leave() { last_look_.reset(); }
  // The bound starts over from now. The wait goes on, so this counts as a
  // look: a stop straight after it is still told by the gap.
  void renew() {
    deadline_ = deadline_after(bound_);
    last_look_ = Clock::now();
  }

 private:
  Duration bound_;
  Instant deadline_;
  std::optional<Instant> last_look_;  // none until the wait looks, and after it leaves
};

}  // namespace vorn::uci::engine
