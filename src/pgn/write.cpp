#include "pgn/write.hpp"

#include <cstdint>
#include <optional>

#include "pgn/setup.hpp"
#include "text/unicode.hpp"
#include "text/utf8.hpp"

namespace vorn::pgn {

namespace {

constexpr std::size_t kLineWidth = 80;

void tag_line(std::string& out, std::string_view name, std::string_view value) {
  out += '[';
  out += name;
  out += " \"";
  for (const char c : value) {
    if (c == '\\' || c == '"') out += '\\';
    out += c == '\n' || c == '\r' ? ' ' : c;
  }
  out += "\"]\n";
}

// One line of nodes being written; the move number does not wrap.
struct Frame {
  const Line* line = nullptr;
  std::size_t index = 0;
  std::uint64_t number = 1;
  bool white = true;
  bool number_needed = true;
  std::optional<std::size_t> variation;  // of the current node, once its own tokens are out
  std::size_t first_token = 0;           // where the variation being written began
};

Frame opening(const Line& line, std::uint64_t number, bool white) {
  Frame frame;
  frame.line = &line;
  frame.number = number;
  frame.white = white;
  return frame;
}

void node_tokens(std::vector<std::string>& tokens, const Node& node, Frame& frame) {
  if (!node.comment_before.empty()) comment_tokens(tokens, node.comment_before);
  const std::string number = std::to_string(frame.number);
  if (frame.white) tokens.push_back(number + ". " + node.san);
  else if (frame.number_needed || !node.comment_before.empty()) tokens.push_back(number + "... " + node.san);
  else tokens.push_back(node.san);
  for (const std::uint16_t nag : node.nags) tokens.push_back("$" + std::to_string(nag));
  if (!node.comment_after.empty()) comment_tokens(tokens, node.comment_after);
  frame.number_needed = !node.comment_after.empty();
}

// The tokens of the main line from the given number and side; variations
// are walked with an explicit stack, so any depth of nesting is written.
void line_tokens(std::vector<std::string>& tokens, const Line& main, std::uint64_t number, bool white) {
  std::vector<Frame> stack{opening(main, number, white)};
  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (frame.index == frame.line->size()) {
      stack.pop_back();
      if (stack.empty()) break;
      Frame& parent = stack.back();
      if (tokens.size() > parent.first_token) {
        tokens[parent.first_token].insert(0, 1, '(');
        tokens.back() += ')';
      } else {
        tokens.emplace_back("()");
      }
      ++*parent.variation;
      continue;
    }
    const Node& node = (*frame.line)[frame.index];
    if (!frame.variation) {
      node_tokens(tokens, node, frame);
      frame.variation = 0;
    }
    if (*frame.variation < node.variations.size()) {
      frame.first_token = tokens.size();
      stack.push_back(opening(node.variations[*frame.variation], frame.number, frame.white));
      continue;
    }
    if (!node.variations.empty()) frame.number_needed = true;
    if (!frame.white) ++frame.number;
    frame.white = !frame.white;
    frame.variation.reset();
    ++frame.index;
  }
}

void lay_out(std::string& out, const std::vector<std::string>& tokens) {
  std::size_t width = 0;  // characters on the current line
  for (std::size_t first = 0; first < tokens.size();) {
    // A line that began with "%" would read as an escape line and be dropped,
    // so a token that starts with one travels with the token before it.
    std::size_t end = first + 1;
    const std::size_t first_length = utf8::length(tokens[first]);
    std::size_t length = first_length;
    while (end < tokens.size() && tokens[end].starts_with('%')) length += 1 + utf8::length(tokens[end++]);
    if (width > 0 && width + 1 + length <= kLineWidth) {
      out += ' ';
      ++width;
    } else {
      if (width > 0) out += '\n';
      width = 0;
    }
    out += tokens[first];
    width += first_length;
    for (std::size_t i = first + 1; i < end; ++i) {
      // A run too long for one line goes on over lines that begin with the
      // space before a "%" token: only a "%" in the first column escapes.
      const std::size_t size = utf8::length(tokens[i]);
      if (width + 1 + size > kLineWidth) {
        out += '\n';
        width = 0;
      }
      out += ' ';
      out += tokens[i];
      width += 1 + size;
    }
    first = end;
  }
  out += '\n';  // the result token is always there
}

}  // namespace

void comment_tokens(std::vector<std::string>& tokens, std::string_view text) {
  if (text.empty()) return;
  const std::size_t first = tokens.size();
  std::string word;
  const auto flush = [&] {
    if (!word.empty()) tokens.push_back(std::move(word));
    word.clear();
  };
  for (std::size_t pos = 0; pos < text.size();) {
    const utf8::Unit unit = utf8::decode(text, pos);
    if (unicode::is_white_space(unit.code)) flush();
    else if (unit.code != '}') word.append(text.substr(pos, unit.length));  // it would end the comment
    pos += unit.length;
  }
  flush();
  if (tokens.size() == first) {
    tokens.emplace_back("{}");
    return;
  }
  tokens[first].insert(0, 1, '{');
  tokens.back() += '}';
}

std::string write(const Game& record) {
  std::string out;
  for (const Headers::Pair* pair : record.headers.export_order()) tag_line(out, pair->first, pair->second);
  if (!record.headers.empty()) out += '\n';
  std::uint64_t number = 1;
  bool white = true;
  if (const std::string* fen = record.headers.find("FEN")) {
    if (const auto start = tag_position(*fen)) {
      number = start->fullmove_number;
      white = start->board.side_to_move() == Colour::White;
    }
  }
  std::vector<std::string> tokens;
  comment_tokens(tokens, record.comment);
  line_tokens(tokens, record.nodes, number, white);
  tokens.emplace_back(name(record.result));
  lay_out(out, tokens);
  return out;
}

}  // namespace vorn::pgn
