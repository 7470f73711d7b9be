// Names in and out: the texts Python callers use for colours, squares,
// files, roles, move kinds, variants and castling output styles. Every
// reader raises ParseError ("not a <word>: <text quoted>") with the caller's
// text unchanged.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/enum_list.hpp"
#include "core/types.hpp"
#include "moves/moves.hpp"
#include "variant/variant.hpp"

namespace vorn::python::convert {

// The kinds Python names a move by; the model keeps only flags.
#define VORN_MOVE_KINDS(X)                                                                   \
  X(Quiet, "quiet") X(Capture, "capture") X(EnPassant, "en_passant") X(Castling, "castling") \
  X(Promotion, "promotion")
VORN_NAMED_ENUM(MoveKind, VORN_MOVE_KINDS)

// "w", "b", "white" or "black", ASCII letters in any case; none otherwise.
std::optional<Colour> read_colour(std::string_view text);
Colour colour_from(std::string_view text);
// Two bytes: a file letter in either case, then a rank digit ("e4", "E4").
Square square_from(std::string_view text);
// One letter a-h in either case.
File file_from(std::string_view text);
// One letter p, n, b, r, q or k in either case.
Role role_from(std::string_view text);
// Exactly "quiet", "capture", "en_passant", "castling" or "promotion".
MoveKind move_kind_from(std::string_view text);
// Exactly "chess" or "chess960": the shared instance.
const Variant& variant_by_name(std::string_view text);
// Exactly "king_to_rook" or "king_two_squares".
CastlingStyle castling_style_from(std::string_view text);

// "true" or "false", as messages and reprs write a flag.
constexpr std::string_view bool_text(bool flag) { return flag ? "true" : "false"; }

using vorn::square_name;
std::string file_name(File file);
// The lower-case letter.
std::string role_name(Role role);

// UCI texts in king_to_rook style, which every reader of them accepts.
std::vector<std::string> uci_texts(std::span<const Move> moves);

}  // namespace vorn::python::convert
