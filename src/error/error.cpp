#include "error/error.hpp"

#include <array>
#include <string>

namespace vorn {

namespace {
constexpr std::array<std::string_view, 8> kFenErrors{
    "a FEN has four or six fields", "invalid placement field",  "invalid side-to-move field",
    "invalid castling field",       "invalid en-passant field", "invalid halfmove clock",
    "invalid full-move number",     "not a legal position",
};
constexpr std::array<std::string_view, 3> kMoveParseErrors{
    "malformed move text", "no such legal move", "ambiguous move text"};
}  // namespace

std::string_view message(FenError e) { return kFenErrors[std::size_t(e)]; }
std::string_view message(MoveParseError e) { return kMoveParseErrors[std::size_t(e)]; }
std::string_view message(PositionError) { return "castling rights this variant cannot have"; }

void panic(std::string_view message) { throw Panic(std::string(message)); }

}  // namespace vorn
