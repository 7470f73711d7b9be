#include "polyglot/record.hpp"

namespace vorn::polyglot {

namespace {

constexpr unsigned kPromotionShift = 12, kOriginShift = 6, kSquareMask = 63;
// Codes 1..4 are the promotion roles by role number; 5..7 name no move.
constexpr unsigned kFirstInvalidPromotion = 5;

unsigned promotion_code(std::uint16_t bits) { return (bits >> kPromotionShift) & 7; }
Square origin_of(std::uint16_t bits) { return Square((bits >> kOriginShift) & kSquareMask); }
Square destination_of(std::uint16_t bits) { return Square(bits & kSquareMask); }

template <class T>
T read_big_endian(const unsigned char* bytes) {
  T value = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) value = T(value << 8 | bytes[i]);
  return value;
}

template <class T>
unsigned char* write_big_endian(T value, unsigned char* bytes) {
  for (std::size_t i = sizeof(T); i-- > 0; value = T(value >> 8)) bytes[i] = static_cast<unsigned char>(value);
  return bytes + sizeof(T);
}

}  // namespace

std::uint16_t pack(Move m) {
  const auto role = m.promotion();
  const bool promotes = role && *role >= Role::Knight && *role <= Role::Queen;
  return std::uint16_t((promotes ? unsigned(*role) : 0u) << kPromotionShift |
                       unsigned(m.from) << kOriginShift | unsigned(m.to));
}

Raw Raw::of(const Entry& entry) { return {entry.key, pack(entry.mv), entry.weight, entry.learn}; }

std::optional<std::string> Raw::uci() const {
  const unsigned code = promotion_code(bits);
  if (code >= kFirstInvalidPromotion) return std::nullopt;
  std::string text = square_name(origin_of(bits)) + square_name(destination_of(bits));
  if (code != 0) text += role_letter(Role(code));
  return text;
}

std::optional<Entry> Raw::decode(const MoveList& legal) const {
  const unsigned code = promotion_code(bits);
  if (code >= kFirstInvalidPromotion) return std::nullopt;
  const Move named = Move::make(origin_of(bits), destination_of(bits), 0,
                                code == 0 ? std::nullopt : std::optional(Role(code)));
  for (const Move& m : legal) {
    if (m.same_action(named)) return Entry{key, m, weight, learn};
  }
  return std::nullopt;
}

std::optional<Entry> Raw::decode(const Variant& variant, const Position& position) const {
  MoveList legal;
  variant.legal_moves(position, legal);
  return decode(legal);
}

Raw read_record(const unsigned char* bytes) {
  return {read_big_endian<std::uint64_t>(bytes), read_big_endian<std::uint16_t>(bytes + 8),
          read_big_endian<std::uint16_t>(bytes + 10), read_big_endian<std::uint32_t>(bytes + 12)};
}

void write_record(const Raw& record, unsigned char* bytes) {
  bytes = write_big_endian(record.key, bytes);
  bytes = write_big_endian(record.bits, bytes);
  bytes = write_big_endian(record.weight, bytes);
  write_big_endian(record.learn, bytes);
}

}  // namespace vorn::polyglot
