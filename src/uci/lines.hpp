// What an engine writes: one output line read into a typed message.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "uci/limits.hpp"
#include "uci/protocol.hpp"

namespace vorn::uci::protocol {

struct Id {
  std::string key;    // "name", "author" or the engine's own word
  std::string value;  // the rest of the line, inner spacing kept
};
struct UciOk {};
struct ReadyOk {};

enum class ScoreUnit : std::uint8_t { Cp, Mate };
struct Score {
  ScoreUnit unit;
  std::int32_t value;
  bool operator==(const Score&) const = default;
};

// By their wire words.
#define VORN_BOUNDS(X) X(Lower, "lowerbound") X(Upper, "upperbound")
VORN_NAMED_ENUM(Bound, VORN_BOUNDS)

struct Wdl {
  std::uint32_t win, draw, loss;
  bool operator==(const Wdl&) const = default;
};

struct CurrLine {
  std::optional<std::uint32_t> cpu;
  std::vector<std::string> moves;
  bool operator==(const CurrLine&) const = default;
};

// One info report. Move lists hold the engine's texts unchanged.
struct Info {
  std::optional<std::uint32_t> depth;
  std::optional<std::uint32_t> seldepth;
  std::optional<Duration> time;
  std::optional<std::uint64_t> nodes;
  std::vector<std::string> pv;
  std::optional<std::uint32_t> multipv;
  std::optional<Score> score;
  std::optional<Bound> bound;
  std::optional<Wdl> wdl;
  std::optional<std::uint64_t> nps;
  std::optional<std::uint32_t> hashfull;
  std::optional<std::uint64_t> tbhits;
  std::optional<std::uint64_t> sbhits;
  std::optional<std::uint32_t> cpuload;
  std::optional<std::string> currmove;
  std::optional<std::uint32_t> currmovenumber;
  std::vector<std::string> refutation;
  std::optional<CurrLine> currline;
  std::optional<std::string> string;
  std::vector<std::string> unknown;  // tokens the walk could not use, in order

  bool operator==(const Info&) const = default;
};

struct BestMove {
  std::optional<std::string> best;    // none: the engine has no move
  std::optional<std::string> ponder;

  bool operator==(const BestMove&) const = default;
};

struct Raw { std::string line; };

struct Message {
  using Payload = VORN_VARIANT_OF(VORN_MESSAGES, VORN_COLUMN_3);
  Payload payload;

  MessageKind kind() const { return MessageKind(payload.index()); }
};

// Reads one line (without its line ending). Never fails: a line with no
// reading is `Raw`. Linear in the line's length.
Message parse(std::string_view line);

// An optional "+" or "-" and decimal digits, within the signed 64-bit range.
std::optional<std::int64_t> number(std::string_view token);

}  // namespace vorn::uci::protocol
