// PgnGame and PgnNode, as Python sees them:
//
//   g = PgnGame(); g.set_header("Event", "Club"); g.comment = "..."; g.result = "1-0"
//   g = PgnGame.from_game(game); g.headers, g.mainline(), g.variant, g.start_position
//   g.game() -> Game; str(g) == g.to_string()   export text; g == other (records)
//   node.move, node.san, node.nags, node.comment_before, node.comment_after, node.variations
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pgn/read.hpp"
#include "pgn/setup.hpp"
#include "pgn/write.hpp"
#include "python/board/classes.hpp"
#include "python/errors/exceptions.hpp"
#include "python/game/classes.hpp"
#include "python/pgn/classes.hpp"
#include "text/quote.hpp"

namespace vorn::python {

namespace {

namespace model = vorn::pgn;
using bind::Exclusive;
using bind::Ref;
using SharedRecord = bind::Shared<PyPgnGame>;

model::Setup setup_of(const model::Game& record) {
  auto set = model::setup(record.headers);
  if (!set) errors::value_error(set.error().message());
  return *set;
}

// ---- PgnGame ---------------------------------------------------------------------

std::shared_ptr<model::Game> new_record() { return std::make_shared<model::Game>(); }

model::Game from_game(bind::Shared<PyGame> game) { return model::from_game(*game); }

Ref headers_of(SharedRecord record) {
  Ref dict = Ref::check(PyDict_New());
  for (const auto& [name, value] : (*record)->headers.pairs())
    bind::check(PyDict_SetItem(dict.get(), bind::to_python(name).get(), bind::to_python(value).get()));
  return dict;
}

void set_header(Exclusive<PyPgnGame> record, std::string_view name, std::string_view value) {
  // What the reader could not read back as a tag name is refused.
  if (!model::is_tag_name(name)) errors::value_error("not a tag name: " + quoted(name));
  // Nor a "Variant" or "FEN" the reader would refuse, in the reader's words.
  if (const auto refused = model::tag_error(name, value)) errors::value_error(refused->message());
  (*record)->headers.set(name, value);
}

std::string comment_of(SharedRecord record) { return (*record)->comment; }
void set_comment(Exclusive<PyPgnGame> record, std::string text) { (*record)->comment = std::move(text); }

std::string_view result_of(SharedRecord record) { return model::name((*record)->result); }

void set_result(Exclusive<PyPgnGame> record, std::string_view marker) {
  const auto result = from_name<model::GameResult>(marker);
  if (!result) errors::value_error("not a result: " + quoted(marker));
  (*record)->result = *result;
}

const Variant* variant_of(SharedRecord record) { return setup_of(**record).variant; }
Position start_position_of(SharedRecord record) { return setup_of(**record).start; }

using SharedNode = std::shared_ptr<const model::Node>;

// A list of the nodes of `line`, each keeping alive the tree `owner` holds;
// made straight into the list, each node's share is taken once.
Ref node_list(const std::shared_ptr<const void>& owner, const model::Line& line) {
  Ref list = Ref::check(PyList_New(Py_ssize_t(line.size())));
  for (std::size_t i = 0; i < line.size(); ++i)
    PyList_SetItem(list.get(), Py_ssize_t(i), bind::make<PyPgnNode>(SharedNode(owner, &line[i])).release());
  return list;
}

// The nodes share the record itself.
Ref mainline_of(SharedRecord record) { return node_list(*record, (*record)->nodes); }

Game game_of(SharedRecord record) {
  auto game = model::mainline_game(**record);
  if (!game) errors::value_error(game.error().message());
  return std::move(*game);
}

std::string text_of(SharedRecord record) { return model::write(**record); }

std::string record_repr(SharedRecord record) {
  const model::Game& game = **record;
  const std::string* event = game.headers.find("Event");
  return "<PgnGame " + (event ? *event : std::string("?")) + " ply " + std::to_string(game.nodes.size()) + " " +
         std::string(model::name(game.result)) + ">";
}

bool same_record(SharedRecord a, SharedRecord b) { return **a == **b; }

const bind::ClassSpec<PyPgnGame> kPgnGameClass{
    .name = "vorn.pgn.PgnGame",
    .doc = "PgnGame()\n--\n\nA game as PGN describes one: tag pairs, a move tree, and a result.",
    .getters =
        {bind::getter<&headers_of>("headers", "The tag pairs, in the order they were set."),
         bind::property<&comment_of, &set_comment>("comment", "The comment written before the first move.", "text"),
         bind::property<&result_of, &set_result>("result", "The game-termination marker.", "marker"),
         bind::getter<&variant_of>("variant", "The rules the `Variant` tag names."),
         bind::getter<&start_position_of>("start_position",
                                          "The position the `FEN` tag names, or the variant's own start.")},
    .methods =
        {bind::static_method<&from_game>(
             "from_game", "from_game(game)\n--\n\nThe PGN of a played game, with a seven-tag roster of placeholders."),
         bind::method<&set_header>("set_header",
                                   "set_header($self, name, value)\n--\n\n"
                                   "Sets the tag `name`, keeping its place when it is already present."),
         bind::method<&mainline_of>("mainline", "mainline($self)\n--\n\nThe moves of the mainline."),
         bind::method<&game_of>("game", "game($self)\n--\n\nThe mainline as a played game."),
         bind::method<&text_of>("to_string", "to_string($self)\n--\n\nThe export-format text.")},
    .slots = {bind::constructor<&new_record>, bind::str<&text_of>, bind::repr<&record_repr>,
              bind::equality<&same_record>},
};

// ---- PgnNode ---------------------------------------------------------------------

Move node_move(const PyPgnNode& node) { return node.value->move; }
std::string_view node_san(const PyPgnNode& node) { return node.value->san; }
std::vector<std::uint16_t> node_nags(const PyPgnNode& node) { return node.value->nags; }
std::string_view node_comment_before(const PyPgnNode& node) { return node.value->comment_before; }
std::string_view node_comment_after(const PyPgnNode& node) { return node.value->comment_after; }

Ref node_variations(const PyPgnNode& node) {
  const std::vector<model::Line>& variations = node.value->variations;
  Ref lines = Ref::check(PyList_New(Py_ssize_t(variations.size())));
  for (std::size_t i = 0; i < variations.size(); ++i)
    PyList_SetItem(lines.get(), Py_ssize_t(i), node_list(node.value, variations[i]).release());
  return lines;
}

std::string node_repr(const PyPgnNode& node) { return "<PgnNode " + node.value->san + ">"; }

const bind::ClassSpec<PyPgnNode> kPgnNodeClass{
    .name = "vorn.pgn.PgnNode",
    .doc = "One move of a game tree.",
    .getters = {bind::getter<&node_move>("move", "The move played."),
                bind::getter<&node_san>("san", "The move's own text, as written, less any `!`/`?` suffix."),
                bind::getter<&node_nags>("nags", "The numeric annotation glyphs, in the order written."),
                bind::getter<&node_comment_before>("comment_before", "The comment written before the move."),
                bind::getter<&node_comment_after>("comment_after", "The comment written after the move."),
                bind::getter<&node_variations>(
                    "variations", "Alternatives to this move, each a line from the position it was played\nin.")},
    .slots = {bind::repr<&node_repr>},
};

}  // namespace

PyTypeObject* PyPgnGame::type() { return bind::type_object(kPgnGameClass); }
PyTypeObject* PyPgnNode::type() { return bind::type_object(kPgnNodeClass); }

}  // namespace vorn::python
