// Whether a catalogue type text ("ByColour<[Option<u8>; 3]>") names a C++
// type of the record, checked at compile time for every field.
#pragma once

#include <cstdint>
#include <string_view>
#include <type_traits>

#include "core/types.hpp"
#include "facts/enums.hpp"
#include "facts/field_values.hpp"

namespace vorn::facts {

template <class T>
struct TypeText {
  static constexpr bool names(std::string_view text) {
    bool named = false;
    if constexpr (std::is_same_v<T, bool>) named = text == "bool";
    if constexpr (std::is_same_v<T, float>) named = text == "f32";
    if constexpr (std::is_same_v<T, Role>) named = text == "Role";
    if constexpr (std::is_same_v<T, SquareSet>) named = text == "SquareSet";
    if constexpr (std::is_same_v<T, FileSet>) named = text == "FileSet";
    if constexpr (std::is_same_v<T, CastledSide>) named = text == "CastledSide";
    if constexpr (std::is_same_v<T, Opposition>) named = text == "Opposition";
    if constexpr (std::is_same_v<T, DrawishMaterial>) named = text == "DrawishMaterial";
    if constexpr (std::is_same_v<T, File>) named = named || text == "File";
    if constexpr (std::is_same_v<T, Square>) named = named || text == "Square";
    if constexpr (std::is_integral_v<T> && !std::is_same_v<T, bool>) {
      constexpr char sign = std::is_signed_v<T> ? 'i' : 'u';
      const std::string_view bits = sizeof(T) == 1 ? "8" : sizeof(T) == 2 ? "16" : sizeof(T) == 4 ? "32" : "64";
      named = named || (text.size() == bits.size() + 1 && text[0] == sign && text.substr(1) == bits);
    }
    return named;
  }
};

namespace detail {

// `text` is prefix + inner + suffix with an inner text naming T.
template <class T>
constexpr bool wraps(std::string_view text, std::string_view prefix, std::string_view suffix) {
  return text.size() > prefix.size() + suffix.size() && text.starts_with(prefix) && text.ends_with(suffix) &&
         TypeText<T>::names(text.substr(prefix.size(), text.size() - prefix.size() - suffix.size()));
}

}  // namespace detail

template <class T>
struct TypeText<std::optional<T>> {
  static constexpr bool names(std::string_view text) { return detail::wraps<T>(text, "Option<", ">"); }
};
template <class T>
struct TypeText<ByColour<T>> {
  static constexpr bool names(std::string_view text) { return detail::wraps<T>(text, "ByColour<", ">"); }
};
template <class T>
struct TypeText<PerFile<T>> {
  static constexpr bool names(std::string_view text) { return detail::wraps<T>(text, "PerFile<", ">"); }
};
template <class T>
struct TypeText<PerRank<T>> {
  static constexpr bool names(std::string_view text) { return detail::wraps<T>(text, "PerRank<", ">"); }
};
template <class T>
struct TypeText<Three<T>> {
  static constexpr bool names(std::string_view text) { return detail::wraps<T>(text, "[", "; 3]"); }
};

template <class T>
constexpr bool names_type(std::string_view text) {
  return TypeText<T>::names(text);
}

}  // namespace vorn::facts
