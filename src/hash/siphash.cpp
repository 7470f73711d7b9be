#include "hash/siphash.hpp"

#include <bit>
#include <cstring>

namespace vorn {

namespace {

void round(std::array<std::uint64_t, 4>& v) {
  v[0] += v[1]; v[1] = std::rotl(v[1], 13); v[1] ^= v[0]; v[0] = std::rotl(v[0], 32);
  v[2] += v[3]; v[3] = std::rotl(v[3], 16); v[3] ^= v[2];
  v[0] += v[3]; v[3] = std::rotl(v[3], 21); v[3] ^= v[0];
  v[2] += v[1]; v[1] = std::rotl(v[1], 17); v[1] ^= v[2]; v[2] = std::rotl(v[2], 32);
}

}  // namespace

void SipHasher13::absorb(std::uint64_t block) {
  v_[3] ^= block;
  round(v_);
  v_[0] ^= block;
}

SipHasher13& SipHasher13::write(std::span<const std::uint8_t> bytes) {
  length_ += bytes.size();
  std::size_t at = 0;
  // Whole 8-byte blocks go in as words, once the unfinished block is full.
  while (tail_size_ != 0 && at < bytes.size()) take(bytes[at++]);
  for (; at + 8 <= bytes.size(); at += 8) {
    std::uint64_t block;
    std::memcpy(&block, bytes.data() + at, 8);
    if constexpr (std::endian::native == std::endian::big) block = std::byteswap(block);
    absorb(block);
  }
  while (at < bytes.size()) take(bytes[at++]);
  return *this;
}

void SipHasher13::take(std::uint8_t byte) {
  tail_ |= std::uint64_t{byte} << (8 * tail_size_);
  if (++tail_size_ == 8) {
    absorb(tail_);
    tail_ = 0;
    tail_size_ = 0;
  }
}

SipHasher13& SipHasher13::write(std::string_view bytes) {
  return write(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

SipHasher13& SipHasher13::write_u8(std::uint8_t v) { return write(std::span(&v, 1)); }

SipHasher13& SipHasher13::write_u16(std::uint16_t v) {
  const std::array<std::uint8_t, 2> bytes{std::uint8_t(v), std::uint8_t(v >> 8)};
  return write(bytes);
}

SipHasher13& SipHasher13::write_u32(std::uint32_t v) {
  std::array<std::uint8_t, 4> bytes{};
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = std::uint8_t(v >> (8 * i));
  return write(bytes);
}

SipHasher13& SipHasher13::write_u64(std::uint64_t v) {
  std::array<std::uint8_t, 8> bytes{};
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = std::uint8_t(v >> (8 * i));
  return write(bytes);
}

std::uint64_t SipHasher13::finish() const {
  auto v = v_;
  const std::uint64_t last = (length_ << 56) | tail_;
  v[3] ^= last;
  round(v);
  v[0] ^= last;
  v[2] ^= 0xff;
  for (int i = 0; i < 3; ++i) round(v);
  return v[0] ^ v[1] ^ v[2] ^ v[3];
}

}  // namespace vorn
