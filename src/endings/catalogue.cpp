// The names and catalogue sentences of the ending classes, techniques and
// verdict kinds, indexed by code.
#include <array>

#include "endings/endings.hpp"

namespace vorn::endings {
namespace {

struct Named {
  std::string_view name;
  std::string_view sentence;
};

constexpr std::array<Named, kEndingClassCount> kClasses{{
    {"k_v_k", "Only the two kings are left, so nothing can be won."},
    {"kq_v_k",
     "King and queen against a lone king: the queen takes squares away until the lone king "
     "stands on the edge, and the king comes up to mate."},
    {"kr_v_k",
     "King and rook against a lone king: the rook cuts the lone king off and the two push it "
     "to the edge."},
    {"kbb_v_k",
     "King and two bishops against a lone king: the two diagonals build a wall that forces the "
     "lone king into a corner of either colour."},
    {"kbn_v_k",
     "King, bishop and knight against a lone king: the longest of the basic mates, and only in "
     "a corner the bishop covers."},
    {"knn_v_k",
     "King and two knights against a lone king: mate can be reached on the board but never "
     "forced."},
    {"kb_v_k",
     "King and one bishop against a lone king, which no sequence of legal moves can ever mate."},
    {"kn_v_k",
     "King and one knight against a lone king, which no sequence of legal moves can ever mate."},
    {"kp_v_k", "King and pawn against a lone king, the ending every pawn ending comes down to."},
    {"kbp_v_k",
     "King, bishop and pawn against a lone king: the extra piece wins unless the bishop is of "
     "the wrong colour for a rook pawn."},
    {"kq_v_kq",
     "A queen each and nothing else: neither king can be sheltered from perpetual check."},
    {"kq_v_kr", "Queen against rook: a win, but one that takes a long and exact technique."},
    {"kq_v_kb", "Queen against a lone bishop, which the queen wins easily."},
    {"kq_v_kn", "Queen against a lone knight, which the queen wins easily."},
    {"kq_v_kp",
     "Queen against a lone pawn: won, except where a rook or bishop pawn on the seventh rank "
     "buys a stalemate."},
    {"kq_v_two_minors",
     "Queen against two minor pieces, which defend each other well enough that the position "
     "decides the result."},
    {"kr_v_kr", "A rook each and nothing else, which neither side can win."},
    {"kr_v_kb", "Rook against a lone bishop: a draw once the bishop's king reaches a safe corner."},
    {"kr_v_kn", "Rook against a lone knight: a draw as long as knight and king stay together."},
    {"kr_v_kp", "Rook against a lone pawn: the rook wins once it gets behind the pawn in time."},
    {"kr_v_two_minors",
     "Rook against two minor pieces, where the two pieces are the better side without a forced "
     "win."},
    {"krp_v_kr",
     "Rook and pawn against rook, the most common ending of all: the Lucena position wins it "
     "and the Philidor position holds it."},
    {"kbb_v_kn", "Two bishops against a knight: a win, but one that can take a hundred moves."},
    {"kb_v_kn", "Bishop against knight and nothing else, which neither side can win."},
    {"kb_v_kb_same_colour",
     "A bishop each on the same square colour, so the two bishops meet but nothing can be "
     "forced."},
    {"kb_v_kb_opposite_colour",
     "A bishop each on opposite square colours, so the two bishops never meet."},
    {"kn_v_kn", "A knight each and nothing else, which neither side can win."},
    {"kb_v_kp",
     "Bishop against a lone pawn: the bishop draws wherever it can reach the pawn's path."},
    {"kn_v_kp",
     "Knight against a lone pawn: the knight draws wherever it can reach the pawn's path in "
     "time."},
    {"pawns",
     "A pawn ending: kings and pawns only, where the opposition and the race decide "
     "everything."},
    {"other",
     "An ending this catalogue does not name; the material signature says what is on the "
     "board."},
    {"not_an_ending", "Too much material is left for this to be an ending at all."},
}};

constexpr std::array<Named, kTechniqueCount> kTechniques{{
    {"none", "This ending is played by no method with a name of its own."},
    {"box_method",
     "The box method: the piece draws a box the lone king may not leave, and every move makes "
     "the box one file or one rank smaller until the king stands on the edge."},
    {"two_bishop_mate",
     "The two bishops stand side by side on next-door diagonals, which the lone king cannot "
     "cross, and the king walks it into a corner."},
    {"bishop_knight_mate",
     "The lone king is driven to a corner of the bishop's own colour, the knight walking the "
     "W-shaped path along the edge that closes off the escape."},
    {"key_squares",
     "The pawn queens if its own king reaches one of the key squares in front of it, which is "
     "what the defending king has to be kept off."},
    {"opposition",
     "The kings stand on one line with an odd number of squares between them; the side not to "
     "move holds the opposition, and the other has to give ground."},
    {"rule_of_the_square",
     "Draw the square whose side is the pawn's run to promotion: a lone king that cannot step "
     "inside it never catches the pawn."},
    {"lucena",
     "The Lucena position: with the pawn on the seventh and its own king in front of it, the "
     "rook builds a bridge that shelters the king from the checks, and the pawn queens."},
    {"philidor",
     "The Philidor position: the defending rook holds its own third rank until the pawn steps "
     "onto it, then drops to the far end of the board and checks the attacking king from "
     "behind."},
    {"wrong_bishop",
     "The bishop stands on the colour the pawn does not promote on, so the defending king sits "
     "on the promotion square and can never be driven off it."},
    {"wrong_rook_pawn",
     "The pawn is a rook pawn and the lone king has reached its promotion corner, where the "
     "attacking king cannot come near without stalemating it."},
}};

constexpr std::array<std::string_view, kVerdictKindCount> kVerdictNames{
    "win", "usually_win", "usually_draw", "draw", "unknown"};

}  // namespace

std::string_view name(EndingClass c) { return kClasses[std::size_t(c)].name; }
std::string_view describe(EndingClass c) { return kClasses[std::size_t(c)].sentence; }
std::string_view name(EndingTechnique t) { return kTechniques[std::size_t(t)].name; }
std::string_view describe(EndingTechnique t) { return kTechniques[std::size_t(t)].sentence; }
std::string_view name(VerdictKind k) { return kVerdictNames[std::size_t(k)]; }

}  // namespace vorn::endings
