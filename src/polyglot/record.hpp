// Polyglot book records: the 16-byte big-endian form (key, move bits,
// weight, learn), the record as stored and the record whose move has been
// read against a position.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "moves/moves.hpp"
#include "position/position.hpp"
#include "variant/variant.hpp"

namespace vorn::polyglot {

inline constexpr std::size_t kEntrySize = 16;

// The 16 move bits: destination square in bits 0-5, origin in 6-11, the
// promotion role number (1 knight .. 4 queen, 0 none) in 12-14. Castling is
// king takes own rook in the format and in Move alike.
std::uint16_t pack(Move m);

struct Entry;

// One record as the file holds it.
struct Raw {
  std::uint64_t key = 0;
  std::uint16_t bits = 0;
  std::uint16_t weight = 0;
  std::uint32_t learn = 0;

  static Raw of(const Entry& entry);
  // The move as UCI text, castling king to rook; none for promotion codes 5-7.
  std::optional<std::string> uci() const;
  // The record read against `position`: the first legal move whose origin,
  // destination and promotion the bits name. The key is not compared.
  std::optional<Entry> decode(const Variant& variant, const Position& position) const;
  // The same against the position's legal moves, listed once for many records.
  std::optional<Entry> decode(const MoveList& legal) const;
  bool operator==(const Raw&) const = default;
};

// One record whose move has been read against a position.
struct Entry {
  std::uint64_t key = 0;
  Move mv;
  std::uint16_t weight = 0;
  std::uint32_t learn = 0;

  // The move's kind takes no part, as in Move::same_action.
  bool operator==(const Entry& o) const {
    return key == o.key && mv.same_action(o.mv) && weight == o.weight && learn == o.learn;
  }
};

// The 16 bytes of a record, big-endian: key, bits, weight, learn.
Raw read_record(const unsigned char* bytes);
void write_record(const Raw& record, unsigned char* bytes);

}  // namespace vorn::polyglot
