#include "uci/engine/error.hpp"

#include <cstdio>
#include <cstring>
#include <limits>

#include "text/quote.hpp"

namespace vorn::uci::engine {

namespace {

constexpr auto kYear = std::chrono::seconds(31'536'000);

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};

std::string three_decimals(double seconds) {
  char text[64];
  std::snprintf(text, sizeof text, "%.3f", seconds);
  return text;
}

}  // namespace

Clock::duration span_of(Duration wait) {
  using Span = Clock::duration;
  constexpr auto kMaxSeconds = std::chrono::duration_cast<std::chrono::seconds>(Span::max()).count();
  if (wait.seconds >= std::uint64_t(kMaxSeconds)) return Span::max();
  return std::chrono::seconds(wait.seconds) + std::chrono::nanoseconds(wait.nanos);
}

Duration duration_of(Clock::duration span) {
  const auto nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(span).count();
  if (nanos <= 0) return {};
  return {std::uint64_t(nanos / 1'000'000'000), std::uint32_t(nanos % 1'000'000'000)};
}

Instant deadline_after(Duration wait) {
  const Instant now = Clock::now();
  const Clock::duration span = span_of(wait);
  if (span > Instant::max() - now) return now + kYear;
  return now + span;
}

Clock::duration time_left(Instant deadline) {
  const Instant now = Clock::now();
  return deadline > now ? deadline - now : Clock::duration::zero();
}

error::Io os_error(int code, std::string_view what) {
  std::string described = std::string(std::strerror(code)) + " (os error " + std::to_string(code) + ")";
  return {code, what.empty() ? described : std::string(what) + ": " + described};
}

error::Io unkillable(int code) { return os_error(code, "the engine could not be killed"); }

std::string message(const Error& error) {
  return std::visit(
      Overloaded{
          [](const error::Io& e) { return e.text; },
          [](const error::Timeout& e) {
            return "no " + std::string(e.awaited) + " within " + three_decimals(e.after.to_seconds()) + " s";
          },
          [](const error::Died& e) {
            if (e.exit) return "the engine exited with code " + std::to_string(*e.exit);
            return std::string(e.deaf ? "the engine stopped reading its input" : "the engine closed its output");
          },
          [](const error::Protocol& e) { return protocol::message(e.refusal); },
          [](const error::NotIdentified&) { return std::string("the engine has not answered uci"); },
          [](const error::NoOption& e) { return "the engine offers no option " + quoted(e.name); },
          [](const error::BadValue& e) { return "option " + quoted(e.name) + ": " + e.message; },
          [](const error::SearchOver&) { return std::string("the search is over"); },
          [](const error::Unsafe& e) { return protocol::message(e.text); },
      },
      error);
}

}  // namespace vorn::uci::engine
