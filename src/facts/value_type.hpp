// Each value type a fact is declared in describes itself at compile time:
// ValueType<T>::text is the type's catalogue text ("ByColour<[Option<u8>; 3]>")
// and ValueType<T>::type its description (kind, element type, run, codes),
// from which the tensor layout reads dtype, shape, axes and encoding. A field
// of a type with no description does not compile.
#pragma once

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

// The texts joined at compile time, kept in static storage.
template <const std::string_view&... Parts>
struct Joined {
  static constexpr std::array<char, (Parts.size() + ...)> chars = [] {
    std::array<char, (Parts.size() + ...)> out{};
    std::size_t at = 0;
    for (const std::string_view part : {Parts...}) {
      for (const char c : part) out[at++] = c;
    }
    return out;
  }();
  static constexpr std::string_view text{chars.data(), chars.size()};
};

// A number's decimal digits.
template <std::size_t N>
struct Digits {
  static constexpr std::size_t kCount = [] {
    std::size_t count = 1;
    for (std::size_t rest = N; rest >= 10; rest /= 10) ++count;
    return count;
  }();
  static constexpr std::array<char, kCount> chars = [] {
    std::array<char, kCount> out{};
    std::size_t rest = N;
    for (std::size_t i = kCount; i-- > 0; rest /= 10) out[i] = char('0' + rest % 10);
    return out;
  }();
  static constexpr std::string_view text{chars.data(), chars.size()};
};

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

inline constexpr std::string_view kOption = "Option<";
inline constexpr std::string_view kByColour = "ByColour<";
inline constexpr std::string_view kPerFile = "PerFile<";
inline constexpr std::string_view kPerRank = "PerRank<";
inline constexpr std::string_view kClose = ">";
inline constexpr std::string_view kArrayOpen = "[";
inline constexpr std::string_view kArrayLength = "; ";
inline constexpr std::string_view kArrayClose = "]";

// A type written as its code: its own text and its code names.
template <const std::string_view& Text, const auto& Codes>
struct NamedType {
  static constexpr std::string_view text = Text;
  static constexpr types::FieldType type{.kind = types::Kind::Named, .named = Text, .codes = Codes};
};

// A type wrapping one other: the wrapper's text around the item's.
template <class Item, const std::string_view& Open, types::Kind Kind, types::Run Run = types::Run::Array,
          std::size_t Len = 0>
struct WrapperType {
  static constexpr std::string_view text = Joined<Open, ValueType<Item>::text, kClose>::text;
  static constexpr types::FieldType type{.kind = Kind, .run = Run, .len = Len, .item = &ValueType<Item>::type};
};

// A type of one kind with nothing more to say.
template <const std::string_view& Text, types::Kind Kind>
struct PlainType {
  static constexpr std::string_view text = Text;
  static constexpr types::FieldType type{.kind = Kind};
};

inline constexpr std::string_view kBoolText = "bool";
inline constexpr std::string_view kFloatText = "f32";
inline constexpr std::string_view kSquareSetText = "SquareSet";
inline constexpr std::string_view kFileSetText = "FileSet";
inline constexpr std::string_view kRoleText = "Role";
inline constexpr std::string_view kFileText = "File";
inline constexpr std::string_view kSquareText = "Square";

}  // namespace detail

template <>
struct ValueType<bool> : detail::PlainType<detail::kBoolText, types::Kind::Bool> {};

template <>
struct ValueType<float> : detail::PlainType<detail::kFloatText, types::Kind::Float> {};

template <std::integral I>
  requires(!std::same_as<I, bool> && sizeof(I) <= 4)
struct ValueType<I> {
  static constexpr unsigned kBits = 8 * sizeof(I);
  static constexpr std::string_view kSign = std::signed_integral<I> ? "i" : "u";
  static constexpr std::string_view text = detail::Joined<kSign, detail::Digits<kBits>::text>::text;
  static constexpr types::FieldType type{.kind = types::Kind::Int, .is_signed = std::signed_integral<I>, .bits = kBits};
};

template <>
struct ValueType<SquareSet> : detail::PlainType<detail::kSquareSetText, types::Kind::SquareSet> {};

template <>
struct ValueType<FileSet> : detail::PlainType<detail::kFileSetText, types::Kind::FileSet> {};

template <>
struct ValueType<Role> : detail::NamedType<detail::kRoleText, detail::kRoleCodes> {};
template <>
struct ValueType<File> : detail::NamedType<detail::kFileText, detail::kFileCodes> {};
template <>
struct ValueType<Square> : detail::NamedType<detail::kSquareText, detail::kSquareCodes> {};

#define VORN_FACTS_ENUM_VALUE_TYPE(Type, ROWS)                                  \
  namespace detail {                                                            \
  inline constexpr std::string_view k##Type##Text = #Type;                      \
  }                                                                             \
  template <>                                                                   \
  struct ValueType<Type> : detail::NamedType<detail::k##Type##Text, k##Type##Names> {};
VORN_FACTS_ENUMS(VORN_FACTS_ENUM_VALUE_TYPE)
#undef VORN_FACTS_ENUM_VALUE_TYPE

template <class T>
struct ValueType<std::optional<T>> : detail::WrapperType<T, detail::kOption, types::Kind::Optional> {};
template <class T>
struct ValueType<ByColour<T>> : detail::WrapperType<T, detail::kByColour, types::Kind::ByColour> {};
template <class T>
struct ValueType<PerFile<T>> : detail::WrapperType<T, detail::kPerFile, types::Kind::Fixed, types::Run::PerFile, 8> {};
template <class T>
struct ValueType<PerRank<T>> : detail::WrapperType<T, detail::kPerRank, types::Kind::Fixed, types::Run::PerRank, 8> {};

// Written "[T; N]", its order the one the fact's meaning states.
template <class T, std::size_t N>
struct ValueType<std::array<T, N>> {
  static constexpr std::string_view text =
      detail::Joined<detail::kArrayOpen, ValueType<T>::text, detail::kArrayLength, detail::Digits<N>::text,
                     detail::kArrayClose>::text;
  static constexpr types::FieldType type{
      .kind = types::Kind::Fixed, .run = types::Run::Array, .len = N, .item = &ValueType<T>::type};
};

}  // namespace vorn::facts
