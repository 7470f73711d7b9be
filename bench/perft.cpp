// Perft on the board library: prints nodes per second, the median of several
// runs, for the standard start and Kiwipete, counting the last ply in bulk and
// listing it (as the Python API always lists moves).
//   perft                 the two benchmark positions
//   perft FILE            checks every count of a perft data file (CI runs this)
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "position/fen.hpp"

using namespace vorn;

namespace {

template <bool Listed = false>
std::uint64_t perft(const board::Board& b, int depth) {
  MoveList moves;
  if (depth == 1) {
    if (!Listed) return b.count_legal();
    b.legal_moves(moves);
    return moves.size();
  }
  b.legal_moves(moves);
  std::uint64_t nodes = 0;
  for (const Move m : moves) {
    board::Board next = b;
    next.play(m);
    nodes += perft<Listed>(next, depth - 1);
  }
  return nodes;
}

// Fails when any count differs, a FEN is refused, or nothing was checked.
int check_file(const char* path) {
  std::ifstream in(path);
  if (!in) { std::printf("cannot read %s\n", path); return 1; }
  std::string line;
  int failures = 0, checked = 0;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string fen, part;
    std::getline(fields, fen, ';');
    const auto position = fen::parse(fen);
    if (!position) { std::printf("bad FEN %s\n", fen.c_str()); ++failures; continue; }
    while (std::getline(fields, part, ';')) {
      int depth = 0;
      unsigned long long expected = 0;
      if (std::sscanf(part.c_str(), " D%d %llu", &depth, &expected) != 2) continue;
      const auto got = perft(position->board, depth);
      ++checked;
      if (got != expected) {
        std::printf("%s depth %d: %llu, expected %llu\n", fen.c_str(), depth,
                    (unsigned long long)got, expected);
        ++failures;
      }
    }
  }
  if (failures || checked == 0) {
    std::printf("FAILED: %d of %d counts differ\n", failures, checked);
    return 1;
  }
  std::printf("all %d counts match\n", checked);
  return 0;
}

// The process's CPU time: other work on the machine weighs less than on a wall clock.
double cpu_seconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

template <bool Listed>
void bench(const char* name, const char* fen_text, int depth) {
  const auto position = fen::parse(fen_text);
  std::vector<double> rates;
  std::uint64_t nodes = 0;
  for (int run = 0; run < 5; ++run) {
    const double start = cpu_seconds();
    nodes = perft<Listed>(position->board, depth);
    rates.push_back(double(nodes) / (cpu_seconds() - start));
  }
  std::ranges::sort(rates);
  std::printf("%-10s depth %d, %s: %llu nodes, median %.1f million nodes/s\n", name, depth,
              Listed ? "listed " : "counted", (unsigned long long)nodes,
              rates[rates.size() / 2] / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) return check_file(argv[1]);
  const char* start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
  const char* kiwipete = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
  bench<false>("start", start, 6);
  bench<false>("kiwipete", kiwipete, 5);
  bench<true>("start", start, 6);
  bench<true>("kiwipete", kiwipete, 5);
}
