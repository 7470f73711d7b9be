// Enumerations declared once, as a list of rows: each list is a macro
// taking a row macro, and each row names the value first and then what the
// value carries, in columns every row fills the same way:
//
//   #define VORN_RESET_KINDS(X) X(Capture, "capture", "took a unit") X(PawnMove, "pawn_move", "advanced a pawn")
//   VORN_NAMED_ENUM(ResetKind, VORN_RESET_KINDS)
//   VORN_ENUM_TEXT(describe, ResetKind, VORN_RESET_KINDS, VORN_COLUMN_3)
//
// gives enum class ResetKind { Capture, PawnMove }, kResetKindCount,
// kResetKindNames and name(ResetKind) from the second column, and
// describe(ResetKind) from the third. Codes are list positions, so no table can fall
// out of step with the enumeration or with another table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <tuple>
#include <utility>
#include <variant>

// Row macros that pick one column, each followed by a comma.
#define VORN_COLUMN_1(first, ...) first,
#define VORN_COLUMN_2(first, second, ...) second,
#define VORN_COLUMN_3(first, second, third, ...) third,
#define VORN_COLUMN_4(first, second, third, fourth, ...) fourth,
#define VORN_COUNT_ROW(...) +1

// enum class Type : std::uint8_t with the first column's values in list
// order, and kTypeCount.
#define VORN_ENUM(Type, ROWS)                                  \
  enum class Type : std::uint8_t { ROWS(VORN_COLUMN_1) };      \
  inline constexpr std::size_t k##Type##Count = 0 ROWS(VORN_COUNT_ROW);

// One column of the rows, by code.
#define VORN_ENUM_TABLE(Element, table, Type, ROWS, COLUMN) \
  inline constexpr std::array<Element, k##Type##Count> table{ROWS(COLUMN)};

// A function giving one column's text by code:
// constexpr std::string_view function(Type value).
#define VORN_ENUM_TEXT(function, Type, ROWS, COLUMN)                               \
  constexpr std::string_view function(Type value) {                                \
    constexpr std::array<std::string_view, k##Type##Count> kTexts{ROWS(COLUMN)};   \
    return kTexts[std::size_t(value)];                                             \
  }

// The common shape: the second column is the value's name; from_name<Type>
// reads it back.
#define VORN_NAMED_ENUM(Type, ROWS)                                             \
  VORN_ENUM(Type, ROWS)                                                         \
  VORN_ENUM_TABLE(std::string_view, k##Type##Names, Type, ROWS, VORN_COLUMN_2)  \
  constexpr const auto& names_of(Type) { return k##Type##Names; }               \
  constexpr std::string_view name(Type value) { return k##Type##Names[std::size_t(value)]; }

namespace vorn {

namespace detail {
template <class Types, class Indices>
struct VariantOfFirst;
template <class... Ts, std::size_t... I>
struct VariantOfFirst<std::tuple<Ts...>, std::index_sequence<I...>> {
  using type = std::variant<std::tuple_element_t<I, std::tuple<Ts...>>...>;
};
}  // namespace detail

// std::variant of all but the last type: a row list's first column expands
// to "A, B, C," and the list is closed with void.
template <class... Ts>
using VariantOfList =
    typename detail::VariantOfFirst<std::tuple<Ts...>, std::make_index_sequence<sizeof...(Ts) - 1>>::type;

// The value of a named enumeration whose name is exactly `text`.
template <class Enum>
constexpr std::optional<Enum> from_name(std::string_view text) {
  const auto& names = names_of(Enum{});
  for (std::size_t code = 0; code < names.size(); ++code)
    if (names[code] == text) return Enum(code);
  return std::nullopt;
}

}  // namespace vorn

// The std::variant of one column's types, in list order.
#define VORN_VARIANT_OF(ROWS, COLUMN) ::vorn::VariantOfList<ROWS(COLUMN) void>

// A std::variant whose alternatives are the first column's types in list
// order, and kTypeNames of its second column by alternative index.
#define VORN_NAMED_VARIANT(Type, ROWS)                                                   \
  using Type = VORN_VARIANT_OF(ROWS, VORN_COLUMN_1);                                   \
  inline constexpr std::array<std::string_view, std::variant_size_v<Type>> k##Type##Names{ \
      ROWS(VORN_COLUMN_2)};

// A function giving one column's text by alternative index:
// std::string_view function(const Type& value).
#define VORN_VARIANT_TEXT(function, Type, ROWS, COLUMN)                                      \
  inline std::string_view function(const Type& value) {                                      \
    constexpr std::array<std::string_view, std::variant_size_v<Type>> kTexts{ROWS(COLUMN)};  \
    return kTexts[value.index()];                                                            \
  }
