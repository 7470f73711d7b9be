// Compact JSON text (no white space), written front to back: objects and
// arrays keep the order their members are written in. Python reads such
// text back with json.loads and records hash it, so every byte is fixed:
//   w.begin_object(); w.key("white"); write(w, 2); w.key("black"); w.null(); w.end_object();
//   -> {"white":2,"black":null}
#pragma once

#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace vorn::json {

class Writer {
 public:
  explicit Writer(std::size_t capacity = 128) { out_.reserve(capacity); }

  void begin_object() { open('{'); }
  void end_object() { close('}'); }
  void begin_array() { open('['); }
  void end_array() { close(']'); }
  // The member's key; its value is the next thing written.
  void key(std::string_view name);

  void null();
  void boolean(bool value);
  void integer(std::int64_t value);
  void integer(std::uint64_t value);
  // The shortest digits that read back as the same double; NaN and the
  // infinities, which JSON cannot hold, are null.
  void number(double value);
  // The float's own shortest digits (7/3 is 2.3333333, not the double's
  // 2.3333332538604736), always with a fraction or an exponent; NaN and the
  // infinities are null, and -0.0 is 0.0 so that equal floats write alike.
  void number(float value);
  // Text in UTF-8, passed through except for the escapes JSON requires:
  // the quote, the backslash and the control characters below U+0020.
  void string(std::string_view text);

  const std::string& text() const& { return out_; }
  std::string text() && { return std::move(out_); }

 private:
  void separate();
  void open(char bracket);
  void close(char bracket);

  std::string out_;
  bool after_value_ = false;  // the next value or key needs a comma first
};

// The double a reader of number(value)'s text gets: the float's own shortest
// digits read as a double (2.3333333 for 7/3f), 0.0 for either zero; none for
// NaN and the infinities, written as null.
std::optional<double> read_back(float value);

// One `write` per value type, found by argument-dependent lookup through
// Writer, so generic code (records, containers) writes any member alike.
// The scalar overloads are templates so that a pointer or a character
// never silently becomes a bool or a number.
template <std::same_as<bool> B>
void write(Writer& w, B value) { w.boolean(value); }

template <std::integral I>
  requires(!std::same_as<I, bool> && !std::same_as<I, char>)
void write(Writer& w, I value) {
  if constexpr (std::signed_integral<I>) w.integer(std::int64_t(value));
  else w.integer(std::uint64_t(value));
}

template <std::floating_point F>
  requires(std::same_as<F, float> || std::same_as<F, double>)
void write(Writer& w, F value) { w.number(value); }

inline void write(Writer& w, std::string_view text) { w.string(text); }
inline void write(Writer& w, const char* text) { w.string(text); }
inline void write(Writer& w, const std::string& text) { w.string(text); }
inline void write(Writer& w, std::nullopt_t) { w.null(); }

// An enumeration declared with a name per value (core/enum_list.hpp)
// writes as that name.
template <class E>
  requires std::is_enum_v<E> && requires(E value) {
    { name(value) } -> std::convertible_to<std::string_view>;
  }
void write(Writer& w, E value) { w.string(name(value)); }

template <class T>
void write(Writer& w, const std::optional<T>& value) {
  if (value) write(w, *value);
  else w.null();
}

template <class Items>
void write_items(Writer& w, const Items& items) {
  w.begin_array();
  for (const auto& item : items) write(w, item);
  w.end_array();
}

template <class T, std::size_t N>
void write(Writer& w, const std::array<T, N>& items) { write_items(w, items); }

template <class T>
void write(Writer& w, const std::vector<T>& items) { write_items(w, items); }

// One object member: "name":value.
template <class T>
void member(Writer& w, std::string_view name, const T& value) {
  w.key(name);
  write(w, value);
}

// The compact JSON text of one value.
template <class T>
std::string to_json(const T& value) {
  Writer w;
  write(w, value);
  return std::move(w).text();
}

}  // namespace vorn::json
