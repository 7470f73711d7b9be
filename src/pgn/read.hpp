// The streaming PGN reader: one game per call, every move read against the
// position of its line under the variant the tags name, errors located by
// line and column, and recovery at the next game. The reader drives a
// visitor; building a record, counting games and a book builder's counting
// of main lines are visitors of the one reader.
//
// Reading every game of a file with a visitor of one's own, bad games
// skipped (a game that fails is abandoned before end_game):
//
//   pgn::FileSource file = *pgn::FileSource::open(path);   // or pgn::TextSource(text)
//   struct Mainline : pgn::Visitor { ... move(before, after, move, ...) when not in a variation ... };
//   Mainline mainline;
//   const auto games = pgn::read_games(file, mainline);    // games read, or the IoError that ended the input
//
// A text is held line by line as UTF-8; a line that is not UTF-8 is read as
// ISO-8859-1. Memory stays bounded by the current line, one frame per open
// variation and what the visitor keeps. A line longer than kLongestLine, or a
// game longer than kLongestGame, is an error located at its line and
// column 1, far above any real game: the reader never grows without limit.
// After a bound error, recovery skips the rest of the refused game up to
// where reading would end it: the next "[" outside a comment, past the
// game's tags when the bound is met among them. The comments and tags of a
// line too long to read are followed too, through its bytes. A game that
// follows at once is read.
#pragma once

#include <chrono>
#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "pgn/record.hpp"
#include "pgn/skim.hpp"
#include "pgn/source.hpp"
#include "position/position.hpp"
#include "variant/variant.hpp"

namespace vorn::pgn {

// Counted in bytes from the game's first byte to the start of each line it
// needs: a game is refused at the first that starts past the bound, and that
// line, which may begin the next game, is left to recovery.
inline constexpr std::uint64_t kLongestGame = std::uint64_t(64) << 20;

// Where a comment goes: after the last move of the line being read, before
// the first move of the game, or before the next move of a variation.
enum class CommentTarget : std::uint8_t { AfterMove, Game, BeforeNextMove };

// What the reader reports while it reads one game. A game that fails is
// abandoned after any of these; the next begin_game starts afresh. A read
// interrupted in a game goes on with it at the next call, no begin_game between.
class Visitor {
 public:
  virtual ~Visitor() = default;
  virtual void begin_game() {}
  // The tags are read and set up the start of the movetext.
  virtual void begin_movetext(const Headers&, const Variant&, const Position& /*start*/) {}
  // Comments are gathered only for a visitor that wants them.
  virtual bool wants_comments() const { return false; }
  virtual void comment(CommentTarget, std::string_view /*text*/) {}
  // A legal move in `before`, which it turns into `after`; `nags` come from its !/? suffix.
  virtual void move(const Position& /*before*/, const Position& /*after*/, Move, std::string_view /*san*/,
                    std::span<const std::uint16_t> /*nags*/) {}
  // A glyph for the last move of the line being read.
  virtual void nag(std::uint16_t) {}
  // An alternative to the last move of the line being read begins, or ends.
  virtual void begin_variation() {}
  virtual void end_variation() {}
  virtual void end_game(GameResult) {}
};

class Reader {
 public:
  // Interrupted: the source gave a read up (Interrupted); the reader keeps
  // the game as far as it got, and the next call goes on at the line the
  // source was reading.
  enum class Step : std::uint8_t { Game, Error, End, Interrupted };

  Reader(LineSource& source, bool skip_errors);

  // The next game goes to `visitor`; an error (never with skip_errors) is
  // then in error(). Once the input has ended, or failed, every later call
  // gives End. Where memory runs out (std::bad_alloc), the game being read
  // is dropped and the next call reads on from the game after it.
  std::expected<Step, IoError> read_game(Visitor& visitor);
  const PgnError& error() const { return error_; }

 private:
  enum class Flow : std::uint8_t { Go, Failed, Halted };
  struct Place {
    std::uint64_t line, column;
  };
  // A line past kLongestLine, or a game past kLongestGame.
  struct OverlongLine {};
  struct OverlongGame {};
  // Why next_line gave no line, short of the end of the input.
  using Halt = std::variant<IoError, Interrupted, OverlongLine, OverlongGame>;
  // A brace comment open over lines. A long one, when the source can go
  // back, is scanned to its closing brace before the rest of it is kept,
  // read again from `resume` up to `reread`.
  struct OpenComment {
    Place at;   // where it opens
    bool keep;  // its text is gathered as its lines come
    struct LineStart {
      std::uint64_t offset, number;  // where the line starts in the source, and its number
    };
    std::optional<LineStart> resume;  // the first line not kept
    struct Brace {
      std::uint64_t line;
      std::size_t pos;
    };
    std::optional<Brace> reread;  // where the scan found the closing brace, while read again
  };
  // The positions after and before the last move of one line, in two slots
  // that swap roles, so a move writes one position and copies none.
  class Frame {
   public:
    explicit Frame(const Position& start) : slots_{start, start} {}
    const Position& position() const { return slots_[now_]; }
    // None until the line has a move.
    const Position* before() const { return moved_ ? &slots_[now_ ^ 1] : nullptr; }
    void play(const Variant& variant, Move move) {
      // Copied into its slot once and played there.
      slots_[now_ ^ 1] = slots_[now_];
      variant.play_on(slots_[now_ ^ 1], move);
      now_ ^= 1;
      moved_ = true;
    }

   private:
    Position slots_[2];
    std::uint8_t now_ = 0;
    bool moved_ = false;
  };

  // read_game but for running out of memory.
  std::expected<Step, IoError> read_on(Visitor& visitor);
  // Reads the game begun, or the next one, from where the reader stands.
  Step attempt(Visitor& visitor);
  // The next game begun; false at the end of the input or on a halt.
  bool start_game(Visitor& visitor);
  // What a halt makes of the step: the reader ended (an IoError), the game
  // to be gone on with, or an error.
  std::optional<std::expected<Step, IoError>> after_halt(Halt halt);
  // Line layer.
  bool next_line();  // false at the end of the input, or on a halt (kept in halt_)
  std::uint64_t column_at(std::size_t pos);
  // Where a byte of the current line is in the source.
  std::uint64_t offset_of(std::size_t pos) const;
  // The place of a byte of the current line; columns are counted only when
  // an error needs one.
  Place place_of(std::size_t pos) { return {line_number_, column_at(pos)}; }
  Place here() { return place_of(pos_); }
  bool skip_space_in_line();  // true when a character follows
  // Whether to read on in the current line, asking the source once a
  // stretch of it is read; false with the halt kept, pos_ left where to go on.
  bool go_on_in_line();
  // Tags and movetext.
  Flow tag(Place at);
  Flow movetext(Visitor& visitor);
  Flow comment_braced(Visitor& visitor);
  // The open comment's lines up to its closing brace, then the comment.
  Flow rest_of_comment(Visitor& visitor);
  // Reads the lines of a long comment again, up to the closing brace the
  // scan found; a file that no longer holds them fails where the comment opens.
  Flow keep_rest_of_comment(const OpenComment& open);
  Flow word(Visitor& visitor, const Variant& variant, bool& game_over);
  Flow nag_word(Visitor& visitor);
  // The run of word characters from the current byte on, stepped over.
  std::string_view scan_word();
  Flow fail(ErrorKind kind, Place at, std::string detail = {});
  void attach(Visitor& visitor, std::string_view text);
  void end_of_game(Visitor& visitor);
  // After an error, lines are dropped up to the next game, at the start of
  // the next call, so that an interrupted drop goes on where it stood.
  void recover();
  // While the rest of a game a bound refused is skipped: whether the current
  // line ends it, where the next game begins (pos_ left there), followed
  // through the line.
  bool ends_refused_game();
  // The next piece of a line too long to hold, followed like a line stepped over.
  void skim_piece(const OverlongPiece& piece);
  // Where a game begins in the first piece of a line too long to read, when
  // that line ends what stands before it: the game being read, or the lines
  // recovery steps over after an ordinary error.
  std::optional<std::size_t> next_game_in(std::string_view bytes);

  LineSource& source_;
  bool skip_errors_;
  bool ended_ = false;
  std::optional<Halt> halt_;
  bool recovering_ = false;
  bool blank_before_ = false;  // while recovering: the line taken last was blank
  bool refused_ = false;       // recovering from a bound error
  // Where the game being read stands at the start of each line.
  Section section_ = Section::Movetext;
  // Where the rest of a game a bound refused stands, from where reading stood.
  Skim skim_;
  // A line too long to read begins the next game: what stood before it ends
  // there, as at the end of the input, and the line is refused with that game.
  bool overlong_next_ = false;
  // The pieces of a line too long to read still hold the rest of a game
  // refused before that line.
  bool rest_of_refused_ = false;
  // The current line as UTF-8, and the next byte to look at.
  std::string_view line_;
  // Where its text starts in the source (past a byte-order mark), and
  // whether it was read as ISO-8859-1, a byte a character.
  std::uint64_t text_offset_ = 0;
  bool latin1_ = false;
  // Where the bytes of the line taken last end, before its line feed: the
  // input's last line may have none.
  std::uint64_t taken_end_ = 0;
  std::size_t pos_ = 0;
  std::size_t ask_at_ = 0;  // where in the line the source is next asked to go on
  std::uint64_t line_number_ = 0;
  std::string decoded_;  // a line read as ISO-8859-1
  bool line_lost_ = false;  // memory ran out while the line taken was decoded
  std::size_t column_pos_ = 0;
  std::uint64_t column_count_ = 0;  // characters before column_pos_
  // The game being read, kept across an interrupted call: where in the
  // source its first byte is (none between games), its tags, then the
  // variant its movetext is read under, the open lines and comment.
  std::optional<std::uint64_t> game_first_;
  Headers headers_;
  std::optional<Place> setup_place_;
  std::optional<GameResult> result_word_;
  const Variant* variant_ = nullptr;
  std::vector<Frame> frames_;
  std::optional<OpenComment> open_comment_;
  std::string comment_;
  std::string tag_value_;
  PgnError error_{ErrorKind::MalformedTagPair, {}, 0, 0};
};

// Builds the record of each game read.
class RecordBuilder : public Visitor {
 public:
  void begin_game() override;
  void begin_movetext(const Headers& headers, const Variant&, const Position&) override;
  bool wants_comments() const override { return true; }
  void comment(CommentTarget target, std::string_view text) override;
  void move(const Position&, const Position&, Move move, std::string_view san,
            std::span<const std::uint16_t> nags) override;
  void nag(std::uint16_t nag) override;
  void begin_variation() override;
  void end_variation() override;
  void end_game(GameResult result) override;

  Game take() { return std::move(game_); }

 private:
  struct Open {
    Line nodes;
    std::string comment;  // waiting for the line's next move
  };
  Line& top() { return open_.empty() ? game_.nodes : open_.back().nodes; }

  Game game_;
  std::vector<Open> open_;  // variations being read, innermost last
  // The last game's main-line length, up to a few hundred moves: room made
  // for as many at once saves moving the nodes as the line grows, and one
  // long game does not make every later one hold room it never uses.
  static constexpr std::size_t kMostExpected = 512;
  std::size_t expected_moves_ = 0;
};

// Every game of a source read into a visitor, those that fail skipped, a
// slice at a time, so that the caller may look up between slices:
//
//   GameRun run(source, visitor);
//   while (!run.read_until(std::chrono::steady_clock::now() + 100ms)) { ... }
//   run.result();   // games read, or the IoError that ended the input
class GameRun {
 public:
  GameRun(LineSource& source, Visitor& visitor) : reader_(source, true), visitor_(visitor) {}
  // Reads until the input ends or a read is interrupted (true) or, between
  // two games, the clock passes `end` (false).
  bool read_until(std::chrono::steady_clock::time_point end);
  std::expected<std::uint64_t, IoError> result() const;

 private:
  Reader reader_;
  Visitor& visitor_;
  std::uint64_t games_ = 0;
  std::optional<IoError> failed_;
};

// The same in one slice: how many games of `source` read without error.
std::expected<std::uint64_t, IoError> read_games(LineSource& source, Visitor& visitor);

// A name the reader reads as a tag name: letters, digits and "_".
bool is_tag_name(std::string_view name);
// The NAGs of a run of '!' and '?'.
std::vector<std::uint16_t> glyphs(std::string_view run);
// Runs of white space made one space, none at either end.
std::string collapse(std::string_view text);

}  // namespace vorn::pgn
