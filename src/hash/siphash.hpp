// SipHash-1-3 with both key halves zero: the hash behind every Python hash
// the library defines, so equal values hash alike in every process and run.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace vorn {

class SipHasher13 {
 public:
  SipHasher13& write(std::span<const std::uint8_t> bytes);
  SipHasher13& write(std::string_view bytes);
  // Integers go in as their little-endian bytes.
  SipHasher13& write_u8(std::uint8_t v);
  SipHasher13& write_u16(std::uint16_t v);
  SipHasher13& write_u32(std::uint32_t v);
  SipHasher13& write_u64(std::uint64_t v);
  // The hash of everything written so far; the hasher may go on afterwards.
  std::uint64_t finish() const;

 private:
  void absorb(std::uint64_t block);
  void take(std::uint8_t byte);  // one byte into the unfinished block

  // "somepseudorandomlygeneratedbytes" with a zero key.
  std::array<std::uint64_t, 4> v_{0x736f6d6570736575ULL, 0x646f72616e646f6dULL,
                                  0x6c7967656e657261ULL, 0x7465646279746573ULL};
  std::uint64_t tail_ = 0;  // the bytes of the unfinished block, little-endian
  unsigned tail_size_ = 0;
  std::uint64_t length_ = 0;
};

// A 64-bit hash as Python wants it: signed, and never -1, which Python
// reserves for "an error occurred".
constexpr std::int64_t python_hash(std::uint64_t hash) {
  const auto value = static_cast<std::int64_t>(hash);
  return value == -1 ? -2 : value;
}

}  // namespace vorn
