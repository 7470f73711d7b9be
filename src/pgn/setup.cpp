#include "pgn/setup.hpp"

#include <algorithm>
#include <array>
#include <string>

#include "position/fen.hpp"

namespace vorn::pgn {

namespace {

struct VariantName {
  std::string_view name;  // lower case, without spaces, "-" and "_"
  const Variant& (*variant)();
};
constexpr std::array<VariantName, 8> kVariantNames{{
    {"", classic},
    {"chess", classic},
    {"normal", classic},
    {"standard", classic},
    {"fromposition", classic},
    {"chess960", chess960},
    {"fischerandom", chess960},
    {"fischerrandom", chess960},
}};

std::string normalised(std::string_view name) {
  std::string out;
  for (const char c : name)
    if (c != ' ' && c != '-' && c != '_') out += ascii_lower(c);
  return out;
}

std::expected<const Variant*, PgnError> variant_named(std::string_view name) {
  const auto row = std::ranges::find(kVariantNames, normalised(name), &VariantName::name);
  if (row == kVariantNames.end()) return std::unexpected(PgnError{ErrorKind::UnknownVariant, std::string(name)});
  return &row->variant();
}

std::expected<Position, PgnError> start_named(std::string_view fen) {
  const auto parsed = tag_position(fen);
  if (!parsed) return std::unexpected(PgnError{ErrorKind::UnreadableFen, std::string(message(parsed.error()))});
  return *parsed;
}

GameResult result_of(const vorn::Game& game) {
  const auto ended = game.variant().outcome(game.current());
  if (ended == Outcome::WhiteMates) return GameResult::WhiteWins;
  if (ended == Outcome::BlackMates) return GameResult::BlackWins;
  if (ended || game.repetitions() >= 5) return GameResult::Draw;
  return GameResult::Undecided;
}

}  // namespace

std::expected<Position, FenError> tag_position(std::string_view fen) {
  return fen::parse(fen, fen::FullmoveZero::ReadAsOne);
}

std::optional<PgnError> tag_error(std::string_view name, std::string_view value) {
  if (name == "Variant") {
    if (const auto variant = variant_named(value); !variant) return variant.error();
  } else if (name == "FEN") {
    if (const auto start = start_named(value); !start) return start.error();
  }
  return std::nullopt;
}

std::expected<Setup, PgnError> setup(const Headers& headers) {
  const Variant* variant = &classic();
  if (const std::string* name = headers.find("Variant")) {
    const auto named = variant_named(*name);
    if (!named) return std::unexpected(named.error());
    variant = *named;
  }
  Position start = variant->start_position(0);
  if (const std::string* fen = headers.find("FEN")) {
    const auto named = start_named(*fen);
    if (!named) return std::unexpected(named.error());
    start = *named;
  }
  if (const auto valid = variant->validate(start); !valid)
    return std::unexpected(PgnError{ErrorKind::UnplayableFen, std::string(message(valid.error()))});
  return Setup{variant, start};
}

std::expected<vorn::Game, PgnError> mainline_game(const Game& record) {
  const auto set = setup(record.headers);
  if (!set) return std::unexpected(set.error());
  auto game = vorn::Game::from_position(*set->variant, set->start);
  if (!game)
    return std::unexpected(PgnError{ErrorKind::UnplayableFen, std::string(message(game.error()))});
  for (const Node& node : record.nodes)
    if (!game->play(node.move)) return std::unexpected(PgnError{ErrorKind::NoSuchMove, node.san});
  return std::move(*game);
}

Game from_game(const vorn::Game& game) {
  if (game.positions().empty() || game.keys().empty()) panic("a game holds its start");
  const Variant& variant = game.variant();
  Game record;
  record.result = result_of(game);
  for (const auto& [name, value] : std::array<std::pair<std::string_view, std::string_view>, 7>{{
           {"Event", "?"},
           {"Site", "?"},
           {"Date", "????.??.??"},
           {"Round", "?"},
           {"White", "?"},
           {"Black", "?"},
           {"Result", name(record.result)},
       }})
    record.headers.set(name, value);
  if (variant.name() != "chess") record.headers.set("Variant", "Chess960");
  const std::string start_fen = fen::format(game.start(), true);
  if (start_fen != fen::format(variant.start_position(0), true)) {
    record.headers.set("SetUp", "1");
    record.headers.set("FEN", start_fen);
  }
  record.nodes.reserve(game.moves().size());
  Position at = game.start();
  for (const Move move : game.moves()) {
    record.nodes.emplace_back(move, variant.move_to_san(at, move));
    at = variant.play(at, move);
  }
  return record;
}

}  // namespace vorn::pgn
