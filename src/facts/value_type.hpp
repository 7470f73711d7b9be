// Each value type a fact is declared in describes itself at compile time:
// ValueType<T>::text is the type's catalogue text ("ByColour<[Option<u8>; 3]>"),
// joined from its parts' names, and ValueType<T>::type its description (kind, element type, run, codes),
// from which the tensor layout reads dtype, shape, axes and encoding. A field
// of a type with no description does not compile.
#pragma once

#include <algorithm>
#include <array>
#include <concepts>
#include <cstddef>
#include <optional>
#include <string_view>

#include "core/types.hpp"
#include "facts/enums.hpp"
#include "facts/field_values.hpp"
#include "facts/types.hpp"

namespace vorn::facts {

template <class T>
struct ValueType;

namespace detail {

// A text held by value, so that a template can take one as its argument and
// a type can join its own from its parts' at compile time.
template <std::size_t N>
struct Text {
  std::array<char, N> chars{};

  constexpr Text() = default;
  constexpr Text(const char (&literal)[N + 1]) { std::copy_n(literal, N, chars.begin()); }
  constexpr std::string_view view() const { return {chars.data(), N}; }
};
template <std::size_t N>
Text(const char (&)[N]) -> Text<N - 1>;

template <std::size_t A, std::size_t B>
constexpr Text<A + B> operator+(const Text<A>& head, const Text<B>& tail) {
  Text<A + B> out;
  std::copy_n(head.chars.begin(), A, out.chars.begin());
  std::copy_n(tail.chars.begin(), B, out.chars.begin() + A);
  return out;
}

// A number's decimal digits.
template <std::size_t N>
constexpr auto digits() {
  constexpr std::size_t count = [] {
    std::size_t made = 1;
    for (std::size_t rest = N; rest >= 10; rest /= 10) ++made;
    return made;
  }();
  Text<count> out;
  std::size_t rest = N;
  for (std::size_t i = count; i-- > 0; rest /= 10) out.chars[i] = char('0' + rest % 10);
  return out;
}

// One-letter texts out of a run of letters: "pnbrqk" gives "p", "n", ...
template <std::size_t N>
constexpr std::array<std::string_view, N> letters(std::string_view run) {
  std::array<std::string_view, N> out{};
  for (std::size_t i = 0; i < N; ++i) out[i] = run.substr(i, 1);
  return out;
}

inline constexpr auto kSquareNameText = [] {
  std::array<char, 128> text{};
  for (std::size_t s = 0; s < 64; ++s) {
    text[2 * s] = kFileNames[s % 8];
    text[2 * s + 1] = kRankNames[s / 8];
  }
  return text;
}();
inline constexpr auto kSquareCodes = [] {
  std::array<std::string_view, 64> out{};
  for (std::size_t s = 0; s < 64; ++s) out[s] = std::string_view(kSquareNameText.data() + 2 * s, 2);
  return out;
}();
inline constexpr auto kRoleCodes = letters<6>(kRoleLetters);
inline constexpr auto kFileCodes = letters<8>(kFileNames);

// A type written as its code: its own text and its code names.
template <Text Name, const auto& Codes>
struct NamedType {
  static constexpr auto name = Name;
  static constexpr std::string_view text = name.view();
  static constexpr types::FieldType type{.kind = types::Kind::Named, .named = text, .codes = Codes};
};

// A type wrapping one other: the wrapper's text around the item's.
template <class Item, Text Open, types::Kind Kind, types::Run Run = types::Run::Array, std::size_t Len = 0>
struct WrapperType {
  static constexpr auto name = Open + ValueType<Item>::name + Text{">"};
  static constexpr std::string_view text = name.view();
  static constexpr types::FieldType type{.kind = Kind, .run = Run, .len = Len, .item = &ValueType<Item>::type};
};

// A type of one kind with nothing more to say.
template <Text Name, types::Kind Kind>
struct PlainType {
  static constexpr auto name = Name;
  static constexpr std::string_view text = name.view();
  static constexpr types::FieldType type{.kind = Kind};
};

}  // namespace detail

template <>
struct ValueType<bool> : detail::PlainType<"bool", types::Kind::Bool> {};

template <>
struct ValueType<float> : detail::PlainType<"f32", types::Kind::Float> {};

template <std::integral I>
  requires(!std::same_as<I, bool> && sizeof(I) <= 4)
struct ValueType<I> {
  static constexpr unsigned kBits = 8 * sizeof(I);
  static constexpr auto name = (std::signed_integral<I> ? detail::Text{"i"} : detail::Text{"u"}) + detail::digits<kBits>();
  static constexpr std::string_view text = name.view();
  static constexpr types::FieldType type{.kind = types::Kind::Int, .is_signed = std::signed_integral<I>, .bits = kBits};
};

template <>
struct ValueType<SquareSet> : detail::PlainType<"SquareSet", types::Kind::SquareSet> {};

template <>
struct ValueType<FileSet> : detail::PlainType<"FileSet", types::Kind::FileSet> {};

template <>
struct ValueType<Role> : detail::NamedType<"Role", detail::kRoleCodes> {};
template <>
struct ValueType<File> : detail::NamedType<"File", detail::kFileCodes> {};
template <>
struct ValueType<Square> : detail::NamedType<"Square", detail::kSquareCodes> {};

#define VORN_FACTS_ENUM_VALUE_TYPE(Type, ROWS) \
  template <>                                  \
  struct ValueType<Type> : detail::NamedType<#Type, k##Type##Names> {};
VORN_FACTS_ENUMS(VORN_FACTS_ENUM_VALUE_TYPE)
#undef VORN_FACTS_ENUM_VALUE_TYPE

template <class T>
struct ValueType<std::optional<T>> : detail::WrapperType<T, "Option<", types::Kind::Optional> {};
template <class T>
struct ValueType<ByColour<T>> : detail::WrapperType<T, "ByColour<", types::Kind::ByColour> {};
template <class T>
struct ValueType<PerFile<T>> : detail::WrapperType<T, "PerFile<", types::Kind::Fixed, types::Run::PerFile, 8> {};
template <class T>
struct ValueType<PerRank<T>> : detail::WrapperType<T, "PerRank<", types::Kind::Fixed, types::Run::PerRank, 8> {};

// Written "[T; N]", its order the one the fact's meaning states.
template <class T, std::size_t N>
struct ValueType<std::array<T, N>> {
  static constexpr auto name =
      detail::Text{"["} + ValueType<T>::name + detail::Text{"; "} + detail::digits<N>() + detail::Text{"]"};
  static constexpr std::string_view text = name.view();
  static constexpr types::FieldType type{
      .kind = types::Kind::Fixed, .run = types::Run::Array, .len = N, .item = &ValueType<T>::type};
};

}  // namespace vorn::facts
