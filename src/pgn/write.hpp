// PGN export text of a record: tags in export order, an empty line, then the
// movetext (game comment, numbered moves, glyphs, comments, variations, the
// result) wrapped at 80 characters. What it writes reads back to the same
// tree, and writing that again gives the same text: a "}" inside a comment
// is dropped, line breaks inside tag values are written as spaces, and no
// line starts with "%" (a reader drops such a line as an escape).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "pgn/record.hpp"

namespace vorn::pgn {

std::string write(const Game& record);

// The tokens of a comment: "{" before the first word, "}" after the last.
void comment_tokens(std::vector<std::string>& tokens, std::string_view text);

}  // namespace vorn::pgn
