#include "facts/summary.hpp"

#include "facts/compute.hpp"

#include <string>

#include "position/fen.hpp"

namespace vorn::facts {

namespace {

constexpr std::string_view kNone = "\u2014";

std::string side_name(Colour c) { return c == Colour::White ? "White" : "Black"; }

std::string open_file_letters(FileSet files) {
  std::string out;
  for (const File f : files) out += file_char(f);
  return out.empty() ? std::string(kNone) : out;
}

}  // namespace

std::string listed(SquareSet squares) {
  std::string out;
  for (const Square s : squares) {
    if (!out.empty()) out += ' ';
    out += square_name(s);
  }
  return out.empty() ? std::string(kNone) : out;
}

std::string summary(const Position& p) {
  const board::Board& b = p.board;
  std::string out;
  for (int rank = 7; rank >= 0; --rank) {
    out += char('1' + rank);
    out += ' ';
    for (int file = 0; file < 8; ++file) {
      const Square s = square_at(File(file), Rank(rank));
      const auto role = b.role_on(s);
      out += role ? role_fen_letter(*role, *b.colour_on(s)) : '.';
      out += ' ';
    }
    out += '\n';
  }
  out += "  a b c d e f g h\n";
  out += side_name(b.side_to_move()) + " to move";
  if (b.checkers()) out += ", in check";
  const auto target = b.en_passant_target();
  out += "\n\tcastling " + fen::castling_field(b.castling()) + ", en passant " +
         (target ? square_name(*target) : "-") + ", halfmove clock " +
         std::to_string(p.halfmove_clock) + ", move " + std::to_string(p.fullmove_number) + "\n";
  return out;
}

std::string summary(const Facts& f) {
  const auto& t = f.tactics;
  const Colour us = f.side_to_move;
  const auto n = [](auto v) { return std::to_string(v); };
  const auto both = [](const std::string& white, const std::string& black) {
    return white + " / " + black;
  };
  return side_name(us) + " to move, material " + n(f.material.value.white) + " v " +
         n(f.material.value.black) + ", phase " + n(f.material.phase_points) + "/24\n" +
         "pawns: passed " + both(listed(f.pawns.passed.white), listed(f.pawns.passed.black)) +
         ", islands " + both(n(f.pawns.islands.white), n(f.pawns.islands.black)) +
         ", open files " + open_file_letters(f.pawns.open_files) + "\n" +
         "kings: " + both(square_name(f.king.square.white), square_name(f.king.square.black)) +
         ", ring holes " + both(n(f.king.ring_holes.white), n(f.king.ring_holes.black)) +
         ", attack weight " +
         both(n(f.king.ring_attack_weight.white), n(f.king.ring_attack_weight.black)) + "\n" +
         "hanging " + both(listed(f.attacks.hanging.white), listed(f.attacks.hanging.black)) +
         ", pinned " + both(listed(f.attacks.pinned.white), listed(f.attacks.pinned.black)) +
         "\n" + side_name(us) + ": " + n(t.legal_move_count[us]) + " legal, " +
         n(t.check_count[us]) + " checks, " + n(t.capture_count[us]) + " captures, " +
         n(t.fork_count[us]) + " forks" + (t.mate_in_1[us] ? ", mate in 1" : "") + "\n";
}

}  // namespace vorn::facts
