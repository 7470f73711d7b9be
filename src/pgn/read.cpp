#include "pgn/read.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <new>
#include <utility>

#include "pgn/setup.hpp"
#include "text/unicode.hpp"
#include "text/utf8.hpp"

namespace vorn::pgn {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// ASCII bytes that end a word: white space and "$();<>[]{}".
constexpr std::array<bool, 128> kEndsWord = [] {
  std::array<bool, 128> table{};
  for (const char c : std::string_view("$();<>[]{} \t\n\v\f\r")) table[std::size_t(c)] = true;
  return table;
}();

// The ASCII characters that are white space, from the one Unicode table.
const std::array<bool, 128> kAsciiSpace = [] {
  std::array<bool, 128> table{};
  for (char32_t c = 0; c < 128; ++c) table[c] = unicode::is_white_space(c);
  return table;
}();

bool is_space_at(std::string_view text, std::size_t pos, std::size_t& length) {
  if (const auto byte = static_cast<unsigned char>(text[pos]); byte < 0x80) {
    length = 1;
    return kAsciiSpace[byte];
  }
  const utf8::Unit unit = utf8::decode(text, pos);
  length = unit.length;
  return unicode::is_white_space(unit.code);
}

// Where the run of ASCII characters other than white space from `pos` ends.
std::size_t ascii_run_end(std::string_view text, std::size_t pos) {
  while (pos < text.size()) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte >= 0x80 || kAsciiSpace[byte]) break;
    ++pos;
  }
  return pos;
}

// Where the run of ASCII white space from the start of `text` ends.
std::size_t ascii_space_end(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && static_cast<unsigned char>(text[pos]) < 0x80 &&
         kAsciiSpace[static_cast<unsigned char>(text[pos])])
    ++pos;
  return pos;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_name_char(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || is_digit(char(c)) || c == '_';
  return unicode::is_alphabetic(c) || unicode::is_numeric(c);
}

bool is_blank(std::string_view line) {
  for (std::size_t pos = 0, length = 0; pos < line.size(); pos += length)
    if (!is_space_at(line, pos, length)) return false;
  return true;
}

// A NAG word: an optional "+", then ASCII digits, at most 65535.
std::optional<std::uint16_t> nag_number(std::string_view word) {
  if (word.starts_with('+')) word.remove_prefix(1);
  if (word.empty() || !std::ranges::all_of(word, is_digit)) return std::nullopt;
  std::uint16_t value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error != std::errc{} || end != word.data() + word.size()) return std::nullopt;
  return value;
}

// Castling written with zeros ("0-0", "0-0-0+") as its letter form, or none.
// `number` is the run of digits and dots that stood before `rest`.
std::optional<std::string> zero_castling(std::string_view number, std::string_view rest) {
  if (!number.ends_with('0') || !rest.starts_with("-0")) return std::nullopt;
  std::string letters = "O-O";
  rest.remove_prefix(2);
  if (rest.starts_with("-0")) {
    letters += "-O";
    rest.remove_prefix(2);
  }
  letters += rest;
  return letters;
}

}  // namespace

// ---- helpers -------------------------------------------------------------------

std::vector<std::uint16_t> glyphs(std::string_view run) {
  static constexpr std::array<std::pair<std::string_view, std::uint16_t>, 6> kGlyphs{{
      {"!!", 3}, {"??", 4}, {"!?", 5}, {"?!", 6}, {"!", 1}, {"?", 2}}};
  std::vector<std::uint16_t> nags;
  while (!run.empty()) {
    for (const auto& [text, nag] : kGlyphs) {
      if (run.starts_with(text)) {
        nags.push_back(nag);
        run.remove_prefix(text.size());
        break;
      }
    }
  }
  return nags;
}

bool is_tag_name(std::string_view name) {
  if (name.empty()) return false;
  for (std::size_t pos = 0; pos < name.size();) {
    const utf8::Unit unit = utf8::decode(name, pos);
    if (!unit.valid || !is_name_char(unit.code)) return false;
    pos += unit.length;
  }
  return true;
}

std::string collapse(std::string_view text) {
  // Most comments are ASCII words between single spaces, and only their ends
  // need trimming.
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  const bool spaced_once = std::ranges::none_of(text, [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 || (kAsciiSpace[byte] && byte != ' ');
  }) && text.find("  ") == std::string_view::npos;
  if (spaced_once) return std::string(text);
  std::string out;
  out.reserve(text.size());
  bool gap = false;
  for (std::size_t pos = 0, length = 0; pos < text.size(); pos += length) {
    // Runs of ASCII go over whole; anything else a character at a time.
    length = ascii_run_end(text, pos) - pos;
    if (length == 0 && is_space_at(text, pos, length)) {
      gap = !out.empty();
      continue;
    }
    if (length == 0) length = utf8::decode(text, pos).length;
    if (gap) out += ' ';
    gap = false;
    out.append(text.substr(pos, length));
  }
  return out;
}

bool GameRun::read_until(std::chrono::steady_clock::time_point end) {
  while (true) {
    const auto step = reader_.read_game(visitor_);
    if (!step) failed_ = step.error();
    if (!step || *step == Reader::Step::End || *step == Reader::Step::Interrupted) return true;
    ++games_;
    if (std::chrono::steady_clock::now() >= end) return false;
  }
}

std::expected<std::uint64_t, IoError> GameRun::result() const {
  if (failed_) return std::unexpected(*failed_);
  return games_;
}

std::expected<std::uint64_t, IoError> read_games(LineSource& source, Visitor& visitor) {
  GameRun run(source, visitor);
  run.read_until(std::chrono::steady_clock::time_point::max());
  return run.result();
}

// ---- the line layer ------------------------------------------------------------

Reader::Reader(LineSource& source, bool skip_errors) : source_(source), skip_errors_(skip_errors) {}

bool Reader::next_line() {
  line_ = {};
  pos_ = column_pos_ = ask_at_ = 0;
  column_count_ = 0;
  if (overlong_next_) {
    if (recovering_) return false;
    overlong_next_ = false;
    halt_ = OverlongLine{};
    return false;
  }
  while (true) {
    const std::uint64_t offset = source_.tell();
    if (game_first_ && offset - *game_first_ > kLongestGame) {
      halt_ = OverlongGame{};
      skim_ = Skim(section_);
      return false;
    }
    const auto taken = source_.next();
    if (!taken) {
      const NoLine& why = taken.error();
      if (std::holds_alternative<End>(why)) return false;
      if (const auto* failure = std::get_if<IoError>(&why)) {
        halt_ = *failure;
      } else if (std::holds_alternative<Interrupted>(why)) {
        halt_ = Interrupted{};
      } else {
        const auto& piece = std::get<OverlongPiece>(why);
        skim_piece(piece);
        // What stands before a game begun in the line ends there, whichever
        // piece the game begins in; the rest of the line is refused.
        if (overlong_next_) return false;
        if (!piece.first) continue;
        halt_ = OverlongLine{};
      }
      return false;
    }
    std::string_view line = *taken;
    taken_end_ = offset + taken->size();
    if (line_number_++ == 0 && line.starts_with(kByteOrderMark)) line.remove_prefix(kByteOrderMark.size());
    while (line.ends_with('\r')) line.remove_suffix(1);
    if (line.starts_with('%')) continue;
    text_offset_ = offset + std::uint64_t(line.data() - taken->data());
    latin1_ = !utf8::is_valid(line);
    if (latin1_) {
      // The line is taken from the source: memory running out here loses it.
      line_lost_ = true;
      decoded_ = utf8::from_latin1(line);
      line_lost_ = false;
      line = decoded_;
    }
    line_ = line;
    return true;
  }
}

std::uint64_t Reader::offset_of(std::size_t pos) const {
  return text_offset_ + (latin1_ ? utf8::length(line_.substr(0, pos)) : pos);
}

std::uint64_t Reader::column_at(std::size_t pos) {
  if (pos < column_pos_) column_pos_ = column_count_ = 0;
  column_count_ += utf8::length(line_.substr(column_pos_, pos - column_pos_));
  column_pos_ = pos;
  return column_count_ + 1;
}

bool Reader::go_on_in_line() {
  // A line of moves near the line bound takes a third of a second to read:
  // a source that checks for Ctrl-C is asked every MiB of it.
  constexpr std::size_t kAskEvery = std::size_t(1) << 20;
  if (pos_ < ask_at_) return true;
  ask_at_ = pos_ + kAskEvery;
  if (pos_ == 0 || source_.go_on()) return true;
  halt_ = Interrupted{};
  return false;
}

bool Reader::skip_space_in_line() {
  for (std::size_t length = 0; pos_ < line_.size(); pos_ += length)
    if (!is_space_at(line_, pos_, length)) return true;
  return false;
}

Reader::Flow Reader::fail(ErrorKind kind, Place at, std::string detail) {
  error_ = PgnError{kind, std::move(detail), at.line, at.column};
  blank_before_ = false;  // recovery starts on the error's own line, never blank
  return Flow::Failed;
}

void Reader::recover() {
  while (true) {
    if (!next_line()) {
      if (halt_ && std::holds_alternative<OverlongLine>(*halt_)) {
        halt_.reset();  // dropped, and taken for blank
        blank_before_ = true;
        continue;
      }
      if (halt_) return;  // interrupted or failed: not over yet
      break;
    }
    if (refused_) {
      if (ends_refused_game()) break;
      continue;
    }
    if (blank_before_ && line_.starts_with('[')) break;
    blank_before_ = is_blank(line_);
  }
  recovering_ = refused_ = false;
}

bool Reader::ends_refused_game() {
  if (const auto next_game = skim_.follow(line_, true)) {
    pos_ = *next_game;
    return true;
  }
  skim_.end_line();
  return false;
}

void Reader::skim_piece(const OverlongPiece& piece) {
  std::string_view bytes = piece.bytes;
  std::optional<std::size_t> next_game;
  if (piece.first) {
    if (line_number_++ == 0 && bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
    // A refusal starts where reading stood; one met while recovering goes on
    // from where the recovery stands.
    if (!recovering_) skim_ = Skim(section_);
    skim_.begin_line(bytes.starts_with('%'));
    rest_of_refused_ = refused_;
    if (!rest_of_refused_) next_game = next_game_in(bytes);
  }
  if (rest_of_refused_) {
    // The game refused before the line may end anywhere in it, in any of
    // its pieces: what it leaves of the line is the next game's, refused in
    // its turn.
    next_game = skim_.follow(bytes, true);
    if (!next_game) bytes = {};  // followed to its end already
  }
  if (next_game) {
    bytes.remove_prefix(*next_game);
    skim_ = Skim(Section::Movetext);
    rest_of_refused_ = false;
    overlong_next_ = true;
  }
  skim_.follow(bytes, false);
  if (piece.last) skim_.end_line();
}

std::optional<std::size_t> Reader::next_game_in(std::string_view bytes) {
  if (bytes.starts_with('%')) return std::nullopt;
  // Lines are stepped over up to one that begins with "[" after a blank one.
  if (recovering_) return blank_before_ && bytes.starts_with('[') ? std::optional<std::size_t>(0) : std::nullopt;
  // A game being read ends at a "[" that begins a line of its movetext; a
  // line with any of the game's movetext before it is the game's own.
  if (!game_first_ || section_ != Section::Movetext) return std::nullopt;
  const std::size_t first = ascii_space_end(bytes);
  return first < bytes.size() && bytes[first] == '[' ? std::optional(first) : std::nullopt;
}

// ---- games ---------------------------------------------------------------------

std::expected<Reader::Step, IoError> Reader::read_game(Visitor& visitor) {
  try {
    return read_on(visitor);
  } catch (const std::bad_alloc&) {
    // Memory ran out part way through a step, which may have left the game
    // short of a move it played, or lost a line it took (a game's first, or
    // one recovery looked for): the game is dropped, as one that fails is,
    // rather than gone on with.
    if (std::exchange(game_first_, std::nullopt) || std::exchange(line_lost_, false)) {
      open_comment_.reset();
      recovering_ = true;
      refused_ = false;  // the refused game's rest, a line short, is no longer followed
      blank_before_ = false;
    }
    throw;
  }
}

std::expected<Reader::Step, IoError> Reader::read_on(Visitor& visitor) {
  while (!ended_) {
    if (recovering_) recover();
    Step step = halt_ ? Step::End : attempt(visitor);
    if (halt_) {
      const auto halted = after_halt(*std::exchange(halt_, std::nullopt));
      if (halted) return *halted;
      step = Step::Error;
    }
    game_first_.reset();
    open_comment_.reset();
    if (step == Step::End) ended_ = true;
    else if (step == Step::Game || !skip_errors_) return step;
  }
  return Step::End;
}

std::optional<std::expected<Reader::Step, IoError>> Reader::after_halt(Halt halt) {
  // The game begun, kept as it stands, goes on at the next call.
  if (std::holds_alternative<Interrupted>(halt)) return Step::Interrupted;
  if (const auto* failure = std::get_if<IoError>(&halt)) {
    ended_ = true;
    return std::unexpected(*failure);
  }
  // An overlong line has been taken; the line a game was refused at has not,
  // unless the input ended after a last line without a line feed.
  const bool line = std::holds_alternative<OverlongLine>(halt);
  const bool at_end = source_.tell() == taken_end_;
  fail(line ? ErrorKind::LineTooLong : ErrorKind::GameTooLong, {line || at_end ? line_number_ : line_number_ + 1, 1});
  refused_ = recovering_ = true;
  return std::nullopt;
}

bool Reader::start_game(Visitor& visitor) {
  section_ = Section::Movetext;  // a line too long to read before a game begins is taken for its movetext
  while (!skip_space_in_line())
    if (!next_line()) return false;
  game_first_ = offset_of(pos_);
  section_ = Section::Tags;
  visitor.begin_game();
  headers_.clear();
  setup_place_.reset();
  result_word_.reset();
  return true;
}

Reader::Step Reader::attempt(Visitor& visitor) {
  // A game an interrupt cut short goes on where it stood: among its tags
  // (the line they wait for), or in its movetext or a comment there.
  if (!game_first_ && !start_game(visitor)) return Step::End;
  if (section_ == Section::Tags) {
    // Tags, with white space (line ends included) between and after them.
    while (true) {
      if (!skip_space_in_line()) {
        if (!next_line()) break;
        continue;
      }
      if (line_[pos_] != '[' || !go_on_in_line()) break;
      if (tag(here()) != Flow::Go) {
        recovering_ = true;
        return Step::Error;
      }
    }
    if (halt_) return Step::End;
    section_ = Section::Movetext;
    const auto set = setup(headers_);
    if (!set) {
      const Place at = setup_place_.value_or(Place{0, 0});
      fail(set.error().kind, at, set.error().detail);
      recovering_ = true;
      return Step::Error;
    }
    visitor.begin_movetext(headers_, *set->variant, set->start);
    variant_ = set->variant;
    frames_.clear();
    frames_.emplace_back(set->start);
  }
  const Flow flow = movetext(visitor);
  if (flow == Flow::Go) return Step::Game;
  if (flow == Flow::Failed) {
    // An open variation found at the next game's "[" leaves that game whole.
    const bool at_next_game = pos_ < line_.size() && line_[pos_] == '[' &&
                              error_.kind == ErrorKind::UnterminatedVariation;
    recovering_ = !at_next_game;
    return Step::Error;
  }
  return Step::End;
}

Reader::Flow Reader::tag(Place at) {
  ++pos_;
  const auto malformed = [&] { return fail(ErrorKind::MalformedTagPair, at); };
  if (!skip_space_in_line()) return malformed();
  const std::size_t name_start = pos_;
  while (pos_ < line_.size()) {
    const utf8::Unit unit = utf8::decode(line_, pos_);
    if (!is_name_char(unit.code)) break;
    pos_ += unit.length;
  }
  const std::string_view name = line_.substr(name_start, pos_ - name_start);
  if (name.empty() || !skip_space_in_line() || line_[pos_] != '"') return malformed();
  ++pos_;
  tag_value_.clear();
  while (true) {
    // Up to the closing quote or the next escape, copied at once.
    std::size_t stop = pos_;
    while (stop < line_.size() && line_[stop] != '"' && line_[stop] != '\\') ++stop;
    if (stop == line_.size()) return fail(ErrorKind::UnterminatedTagValue, at);
    tag_value_.append(line_.substr(pos_, stop - pos_));
    pos_ = stop;
    if (line_[pos_] == '"') break;
    if (++pos_ >= line_.size()) return fail(ErrorKind::UnterminatedTagValue, at);
    const std::size_t length = utf8::decode(line_, pos_).length;
    tag_value_.append(line_.substr(pos_, length));
    pos_ += length;
  }
  ++pos_;
  if (!skip_space_in_line() || line_[pos_] != ']') return malformed();
  ++pos_;
  if (!setup_place_ && (name == "FEN" || name == "Variant")) setup_place_ = at;
  headers_.set(name, tag_value_);
  return Flow::Go;
}

Reader::Flow Reader::movetext(Visitor& visitor) {
  if (open_comment_)
    if (const Flow flow = rest_of_comment(visitor); flow != Flow::Go) return flow;
  while (true) {
    if (!go_on_in_line()) return Flow::Halted;
    if (pos_ >= line_.size()) {
      if (!next_line()) {
        if (halt_) return Flow::Halted;
        if (frames_.size() > 1) return fail(ErrorKind::UnterminatedVariation, {line_number_, 1});
        end_of_game(visitor);
        return Flow::Go;
      }
      continue;
    }
    const char c = line_[pos_];
    switch (c) {
      case ' ': case '\t': case '<': case '>':
        ++pos_;
        continue;
      case '$':
        if (nag_word(visitor) != Flow::Go) return Flow::Failed;
        continue;
      case '(': {
        const std::size_t at = pos_++;
        Frame& top = frames_.back();
        if (!top.before()) return fail(ErrorKind::VariationWithoutMove, place_of(at));
        frames_.emplace_back(*top.before());
        visitor.begin_variation();
        continue;
      }
      case ')': {
        const std::size_t at = pos_++;
        if (frames_.size() == 1) return fail(ErrorKind::NoVariationToClose, place_of(at));
        frames_.pop_back();
        visitor.end_variation();
        continue;
      }
      case ';': {
        const std::string_view text = line_.substr(pos_ + 1);
        pos_ = line_.size();
        attach(visitor, visitor.wants_comments() ? collapse(text) : std::string());
        continue;
      }
      case '{':
        if (const Flow flow = comment_braced(visitor); flow != Flow::Go) return flow;
        continue;
      case '[':
        if (frames_.size() > 1) return fail(ErrorKind::UnterminatedVariation, here());
        end_of_game(visitor);
        return Flow::Go;
      case ']': case '}':
        return fail(ErrorKind::MalformedMovetext, here(), std::string(1, c));
      default:
        break;
    }
    if (std::size_t length = 0; static_cast<unsigned char>(c) >= 0x80 || (c >= '\n' && c <= '\r')) {
      if (is_space_at(line_, pos_, length)) {
        pos_ += length;
        continue;
      }
    }
    if (is_digit(c)) {
      // A move number, every other word, is stepped over here; digits
      // followed by anything else are read as a word.
      std::size_t end = pos_ + 1;
      while (end < line_.size() && (is_digit(line_[end]) || line_[end] == '.')) ++end;
      if (end == line_.size() || (static_cast<unsigned char>(line_[end]) < 0x80 &&
                                  kEndsWord[static_cast<unsigned char>(line_[end])])) {
        pos_ = end;
        continue;
      }
    }
    bool game_over = false;
    if (word(visitor, *variant_, game_over) != Flow::Go) return Flow::Failed;
    if (game_over) return Flow::Go;
  }
}

Reader::Flow Reader::comment_braced(Visitor& visitor) {
  const std::size_t open = pos_++;
  // Most comments close on the line they open: they are collapsed straight
  // from it, and their place, needed only when one never closes, is not
  // counted out.
  if (const std::size_t close = line_.find('}', pos_); close != std::string_view::npos) {
    const std::string_view text = line_.substr(pos_, close - pos_);
    pos_ = close + 1;
    attach(visitor, visitor.wants_comments() ? collapse(text) : std::string());
    return Flow::Go;
  }
  open_comment_ = OpenComment{place_of(open), visitor.wants_comments(), {}, {}};
  comment_.clear();
  section_ = Section::Comment;
  return rest_of_comment(visitor);
}

Reader::Flow Reader::rest_of_comment(Visitor& visitor) {
  OpenComment& open = *open_comment_;
  // Past this size a comment is scanned to its end before it is kept, when
  // the source can go back: an unterminated one then costs no memory.
  constexpr std::size_t kKeptAtOnce = 1 << 20;
  while (true) {
    if (open.reread) {
      if (const Flow flow = keep_rest_of_comment(open); flow != Flow::Go) return flow;
      pos_ = open.reread->pos + 1;
      break;
    }
    const std::size_t close = line_.find('}', pos_);
    if (close != std::string_view::npos && open.resume) {
      // Read again from where keeping stopped.
      open.reread = OpenComment::Brace{line_number_, close};
      if (const auto back = source_.seek(open.resume->offset); !back) {
        halt_ = back.error();
        return Flow::Halted;
      }
      line_number_ = open.resume->number;
      continue;
    }
    if (close != std::string_view::npos) {
      if (open.keep) comment_.append(line_.substr(pos_, close - pos_));
      pos_ = close + 1;
      break;
    }
    if (open.keep) comment_.append(line_.substr(pos_));
    if (open.keep && comment_.size() > kKeptAtOnce && source_.can_seek()) {
      open.resume = OpenComment::LineStart{source_.tell(), line_number_};
      open.keep = false;
    }
    if (!next_line()) {
      if (halt_) return Flow::Halted;
      return fail(ErrorKind::UnterminatedComment, open.at);
    }
    if (open.keep) comment_ += ' ';
  }
  open_comment_.reset();
  section_ = Section::Movetext;
  attach(visitor, visitor.wants_comments() ? collapse(comment_) : std::string());
  return Flow::Go;
}

Reader::Flow Reader::keep_rest_of_comment(const OpenComment& open) {
  while (true) {
    if (!next_line()) {
      if (halt_) return Flow::Halted;
      return fail(ErrorKind::FileChanged, open.at);  // cut short since the scan
    }
    comment_ += ' ';
    if (line_number_ == open.reread->line) break;
    comment_.append(line_);
  }
  // The scan found the brace there; a file written over since may not hold it.
  const std::size_t close = open.reread->pos;
  if (close >= line_.size() || line_[close] != '}') return fail(ErrorKind::FileChanged, open.at);
  comment_.append(line_.substr(0, close));
  return Flow::Go;
}

std::string_view Reader::scan_word() {
  // A local end: stepping the member would store it at every byte read.
  const std::string_view line = line_;
  std::size_t end = pos_;
  while (end < line.size()) {
    const auto byte = static_cast<unsigned char>(line[end]);
    if (byte < 0x80) {
      if (kEndsWord[byte]) break;
      ++end;
    } else {
      std::size_t length = 0;
      if (is_space_at(line, end, length)) break;
      end += length;
    }
  }
  const std::string_view word = line.substr(pos_, end - pos_);
  pos_ = end;
  return word;
}

void Reader::attach(Visitor& visitor, std::string_view text) {
  const CommentTarget target = frames_.back().before() ? CommentTarget::AfterMove
                               : frames_.size() == 1 ? CommentTarget::Game
                                                     : CommentTarget::BeforeNextMove;
  visitor.comment(target, text);
}

Reader::Flow Reader::nag_word(Visitor& visitor) {
  const std::size_t at = pos_++;
  const std::string_view text = scan_word();
  const auto nag = nag_number(text);
  if (!nag) return fail(ErrorKind::MalformedMovetext, place_of(at), std::string(text));
  if (frames_.back().before()) visitor.nag(*nag);
  return Flow::Go;
}

Reader::Flow Reader::word(Visitor& visitor, const Variant& variant, bool& game_over) {
  const std::size_t at = pos_;
  const std::string_view text = scan_word();
  // Every result marker starts with one of these.
  const bool may_be_result = text[0] == '0' || text[0] == '1' || text[0] == '*';
  if (const auto result = may_be_result ? from_name<GameResult>(text) : std::nullopt) {
    if (frames_.size() > 1) return fail(ErrorKind::UnterminatedVariation, here());
    result_word_ = result;
    end_of_game(visitor);
    game_over = true;
    return Flow::Go;
  }
  std::size_t body = 0;
  while (body < text.size() && (is_digit(text[body]) || text[body] == '.')) ++body;
  if (body == text.size()) return Flow::Go;  // a move number
  std::size_t suffix = text.size();
  while (suffix > body && (text[suffix - 1] == '!' || text[suffix - 1] == '?')) --suffix;
  Frame& top = frames_.back();
  if (suffix == body) {
    if (top.before())
      for (const std::uint16_t nag : glyphs(text.substr(suffix))) visitor.nag(nag);
    return Flow::Go;
  }
  std::string_view san = text.substr(body, suffix - body);
  const auto castling = zero_castling(text.substr(0, body), san);
  if (castling) san = text.substr(body - 1, suffix - body + 1);  // the written form, its zero kept
  Move move;
  if (const auto error = variant.read_san(top.position(), castling ? std::string_view(*castling) : san, move)) {
    const ErrorKind kind = *error == MoveParseError::Malformed    ? ErrorKind::MalformedMovetext
                           : *error == MoveParseError::NoSuchMove ? ErrorKind::NoSuchMove
                                                                  : ErrorKind::AmbiguousMove;
    return fail(kind, place_of(at), std::string(text));
  }
  top.play(variant, move);
  if (suffix == text.size()) {
    visitor.move(*top.before(), top.position(), move, san, {});
  } else {
    const std::vector<std::uint16_t> nags = glyphs(text.substr(suffix));
    visitor.move(*top.before(), top.position(), move, san, nags);
  }
  return Flow::Go;
}

void Reader::end_of_game(Visitor& visitor) {
  GameResult result = GameResult::Undecided;
  if (result_word_) result = *result_word_;
  else if (const std::string* tag = headers_.find("Result")) result = from_name<GameResult>(*tag).value_or(result);
  visitor.end_game(result);
}

// ---- building records ----------------------------------------------------------

void RecordBuilder::begin_game() {
  game_ = Game{};
  game_.nodes.reserve(expected_moves_);
  open_.clear();
}

void RecordBuilder::begin_movetext(const Headers& headers, const Variant&, const Position&) {
  game_.headers = headers;
}

void RecordBuilder::comment(CommentTarget target, std::string_view text) {
  std::string& into = target == CommentTarget::AfterMove ? top().back().comment_after
                      : target == CommentTarget::Game    ? game_.comment
                                                         : open_.back().comment;
  if (!into.empty()) into += ' ';
  into += text;
}

void RecordBuilder::move(const Position&, const Position&, Move move, std::string_view san,
                         std::span<const std::uint16_t> nags) {
  Line& line = top();
  Node& node = line.emplace_back(move, san);
  node.nags.assign(nags.begin(), nags.end());
  if (!open_.empty()) {
    node.comment_before = std::move(open_.back().comment);
    open_.back().comment.clear();
  }
}

void RecordBuilder::nag(std::uint16_t nag) { top().back().nags.push_back(nag); }

void RecordBuilder::begin_variation() { open_.emplace_back(); }

void RecordBuilder::end_variation() {
  Line nodes = std::move(open_.back().nodes);
  open_.pop_back();
  top().back().variations.push_back(std::move(nodes));
}

void RecordBuilder::end_game(GameResult result) {
  game_.result = result;
  expected_moves_ = std::min(game_.nodes.size(), kMostExpected);
}

}  // namespace vorn::pgn
