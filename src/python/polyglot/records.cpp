// PolyglotRaw and PolyglotEntry, as Python sees them:
//
//   raw = PolyglotRaw(0x463b96181691fc9c, 796, weight=3)   # key, bits, weight, learn
//   raw.uci == "e2e4"; raw.decode(position) -> PolyglotEntry or None
//   entry = PolyglotEntry(key, Move("e2", "e4")); entry.move, entry.bits
//   repr(raw) == "<PolyglotRaw 463b96181691fc9c e2e4 weight 3>"
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>

#include "hash/siphash.hpp"
#include "python/board/classes.hpp"
#include "python/polyglot/polyglot.hpp"

namespace vorn::python {

namespace {

namespace model = vorn::polyglot;

// The docstrings the two classes share.
constexpr const char* kKeyDoc = "The Polyglot key of the position the move belongs to.";
constexpr const char* kBitsDoc = "The move as the format encodes it.";
constexpr const char* kWeightDoc =
    "How good, or how often played, the move is, relative to the other\nentries of this key.";
constexpr const char* kLearnDoc = "Four bytes the format reserves for a program's own use.";

// Sixteen lower-case hexadecimal digits, leading zeros kept.
std::string hex_key(std::uint64_t key) {
  std::string digits(16, '0');
  char written[16];
  const auto end = std::to_chars(written, written + 16, key, 16).ptr;
  std::copy(written, end, digits.end() - (end - written));
  return digits;
}

std::string record_repr(std::string_view class_name, std::uint64_t key, std::string_view move,
                        std::uint16_t weight) {
  return "<" + std::string(class_name) + " " + hex_key(key) + " " + std::string(move) + " weight " +
         std::to_string(weight) + ">";
}

// ---- PolyglotRaw -----------------------------------------------------------------

model::Raw new_raw(std::uint64_t key, std::uint16_t bits, std::uint16_t weight, std::uint32_t learn) {
  return {key, bits, weight, learn};
}

std::uint64_t raw_key(const model::Raw& raw) { return raw.key; }
std::uint16_t raw_bits(const model::Raw& raw) { return raw.bits; }
std::uint16_t raw_weight(const model::Raw& raw) { return raw.weight; }
std::uint32_t raw_learn(const model::Raw& raw) { return raw.learn; }

std::optional<model::Entry> raw_decode(const model::Raw& raw, const PyPosition& position,
                                       const PyVariant* variant) {
  return raw.decode(resolve(variant), position.value);
}

std::string raw_repr(const model::Raw& raw) {
  return record_repr("PolyglotRaw", raw.key, raw.uci().value_or("?"), raw.weight);
}

std::uint64_t raw_hash(const model::Raw& raw) {
  return SipHasher13().write_u64(raw.key).write_u16(raw.bits).write_u16(raw.weight).write_u32(raw.learn).finish();
}

const bind::ClassSpec<PyRaw> kRawClass{
    .name = "vorn.polyglot.PolyglotRaw",
    .doc = "PolyglotRaw(key, bits, weight=1, learn=0)\n--\n\nOne entry as the file holds it.",
    .getters = {bind::getter<&raw_key>("key", kKeyDoc), bind::getter<&raw_bits>("bits", kBitsDoc),
                bind::getter<&model::Raw::uci>(
                    "uci", "The move as UCI text, castling king-to-rook; `None` when the bits name\nno move."),
                bind::getter<&raw_weight>("weight", kWeightDoc), bind::getter<&raw_learn>("learn", kLearnDoc)},
    .methods = {bind::method<&raw_decode>(
        "decode",
        "decode($self, position, *, variant=None)\n--\n\nThe entry read against `position`; `None` when its move is "
        "not legal\nthere.")},
    .slots = {bind::constructor<&new_raw>, bind::repr<&raw_repr>, bind::hash<&raw_hash>,
              bind::equality<&model::Raw::operator==>},
};

// ---- PolyglotEntry -----------------------------------------------------------------

model::Entry new_entry(std::uint64_t key, Move mv, std::uint16_t weight, std::uint32_t learn) {
  return {key, mv, weight, learn};
}

std::uint64_t entry_key(const model::Entry& entry) { return entry.key; }
// A new object on each read, not the shared one other moves use.
bind::Ref entry_move(const model::Entry& entry) { return bind::make<PyMove>(entry.mv); }
std::uint16_t entry_bits(const model::Entry& entry) { return model::pack(entry.mv); }
std::uint16_t entry_weight(const model::Entry& entry) { return entry.weight; }
std::uint32_t entry_learn(const model::Entry& entry) { return entry.learn; }

std::string entry_repr(const model::Entry& entry) {
  return record_repr("PolyglotEntry", entry.key, move_uci(entry.mv, CastlingStyle::KingToRook), entry.weight);
}

// Over the fields in order, the promotion as an optional role: a 0 word when
// absent, else a 1 word and the role number's word.
std::uint64_t entry_hash(const model::Entry& entry) {
  SipHasher13 hasher;
  hasher.write_u64(entry.key).write_u8(std::uint8_t(entry.mv.from)).write_u8(std::uint8_t(entry.mv.to));
  if (const auto role = entry.mv.promotion()) hasher.write_u64(1).write_u64(std::uint64_t(*role));
  else hasher.write_u64(0);
  return hasher.write_u16(entry.weight).write_u32(entry.learn).finish();
}

const bind::ClassSpec<PyEntry> kEntryClass{
    .name = "vorn.polyglot.PolyglotEntry",
    .doc = "PolyglotEntry(key, mv, weight=1, learn=0)\n--\n\nOne entry whose move has been read against a position.",
    .getters = {bind::getter<&entry_key>("key", kKeyDoc), bind::getter<&entry_move>("move", "The move."),
                bind::getter<&entry_bits>("bits", kBitsDoc), bind::getter<&entry_weight>("weight", kWeightDoc),
                bind::getter<&entry_learn>("learn", kLearnDoc)},
    .slots = {bind::constructor<&new_entry>, bind::repr<&entry_repr>, bind::hash<&entry_hash>,
              bind::equality<&model::Entry::operator==>},
};

}  // namespace

PyTypeObject* PyRaw::type() { return bind::type_object(kRawClass); }
PyTypeObject* PyEntry::type() { return bind::type_object(kEntryClass); }

}  // namespace vorn::python
