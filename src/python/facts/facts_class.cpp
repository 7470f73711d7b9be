// The Facts class, as Python sees it:
//
//   f = Facts(fen, *, variant=None)     or position.facts(), game.facts()
//   f.variant, f.side_to_move, f.position
//   f.placement ... f.maps              a new group object on each read
//   Facts.groups(), f.group("king"), f.to_dict(), f.summary()
//   f == g, hash(f), pickle.dumps(f)    pickled as its FEN and variant
#include <string>
#include <string_view>
#include <vector>

#include "facts/catalogue.hpp"
#include "facts/record_json.hpp"
#include "position/fen.hpp"
#include "python/bind/record_class.hpp"
#include "python/board/classes.hpp"
#include "python/errors/exceptions.hpp"
#include "python/facts/classes.hpp"
#include "python/facts/plain_data.hpp"
#include "text/quote.hpp"

namespace vorn::python::facts {

namespace {

using bind::Ref;

FactsValue computed(const Position& position, const Variant& variant) {
  FactsValue made{.fen = fen_with_clocks(position), .variant = &variant};
  model::Scratch scratch;
  model::compute(made.record, position, variant, scratch, nullptr);
  return made;
}

FactsValue new_facts(std::string_view fen, const PyVariant* variant) {
  const Variant& resolved = resolve(variant);
  const auto position = fen::parse(fen);
  if (!position) errors::value_error(message(position.error()));
  return computed(*position, resolved);
}

const Variant* variant_of(const FactsValue& facts) { return facts.variant; }
std::string_view side_to_move_of(const FactsValue& facts) { return colour_name(facts.record.side_to_move); }

Position position_of(const FactsValue& facts) {
  const auto position = fen::parse(facts.fen);
  if (!position) errors::value_error(message(position.error()));
  return *position;
}

std::vector<std::string> group_names() {
  std::vector<std::string> names;
  for (const auto& group : model::catalogue::kGroups) names.emplace_back(group.name);
  return names;
}

Ref group_named(PyObject* self, std::string_view name) {
  for (const auto& group : model::catalogue::kGroups) {
    if (group.name == name) {
      return Ref::check(PyObject_GetAttrString(self, std::string(name).c_str()));
    }
  }
  errors::value_error("not a facts group: " + quoted(name));
}

Ref facts_dict(const FactsValue& facts) { return plain(facts.record); }
std::string facts_summary(const FactsValue& facts) { return model::summary(facts.record); }

// The FEN as the facts were computed from it: without the clock fields when
// the position did not carry them, so that the copy computes equal facts.
std::string_view pickled_fen(const FactsValue& facts) {
  if (facts.record.history.halfmove_known) return facts.fen;
  std::string_view fen = facts.fen;
  return fen.substr(0, fen.rfind(' ', fen.rfind(' ') - 1));
}

Ref new_arguments(const FactsValue& facts) {
  const Ref keywords = Ref::check(PyDict_New());
  bind::check(PyDict_SetItemString(keywords.get(), "variant", bind::to_python(facts.variant).get()));
  return bind::to_python(std::tuple{std::tuple{pickled_fen(facts)}, keywords});
}

std::string facts_repr(const FactsValue& facts) {
  return "Facts(" + quoted(facts.fen) + ", variant=" + std::string(facts.variant->name()) + ")";
}

// The variant's name and the record; the FEN takes no part, as in equality.
std::uint64_t facts_hash(const FactsValue& facts) {
  json::Writer w(4096);
  w.begin_array();
  w.string(facts.variant->name());
  write(w, facts.record);
  w.end_array();
  return bind::record_hash(w.text());
}

Ref facts_compare(const FactsValue& facts, PyObject* other, int op) {
  const PyFacts* same = bind::instance<PyFacts>(other);
  return bind::record_comparison(same != nullptr,
                                 same != nullptr && facts.variant->name() == same->value.variant->name() &&
                                     facts.record == same->value.record,
                                 op);
}

#define VORN_FACTS_GROUP_GETTER(group, Record, FIELDS, meaning) \
  bind::getter<&group_of<model::Record>>(#group),

const bind::ClassSpec<PyFacts> kFactsClass{
    .name = "vorn.Facts",
    .doc = "Facts(fen, *, variant=None)\n--\n\n"
           "Every group of facts about one position.\n\n"
           "What each *move* of the position does is a separate answer:\n"
           "`Position.annotated_moves()` and `Game.annotated_moves()`. Pickling\n"
           "re-reads the facts from the position they were computed for, so the\n"
           "history flags a game supplies do not survive a round trip.",
    .getters = {bind::getter<&variant_of>("variant", "The variant the facts were computed under."),
                bind::getter<&side_to_move_of>("side_to_move", "The colour to move: `\"white\"` or `\"black\"`."),
                bind::getter<&position_of>("position", "The position the facts were computed for."),
                VORN_FACTS_GROUPS(VORN_FACTS_GROUP_GETTER)},
    .methods = {bind::static_method<&group_names>(
                    "groups", "groups()\n--\n\nThe names of the groups, in the order they are declared."),
                bind::method<&group_named>("group", "group($self, name)\n--\n\nThe group of that name."),
                bind::method<&facts_dict>("to_dict",
                                          "to_dict($self)\n--\n\nEvery group, by name, as the plain data of the one "
                                          "JSON form\n`docs/features.md` describes."),
                bind::method<&facts_summary>("summary",
                                             "summary($self)\n--\n\nMaterial, structure, king safety and threats, "
                                             "for a human reader. Not a\nstable format."),
                bind::method<&new_arguments>("__getnewargs_ex__", "__getnewargs_ex__($self)\n--\n\n")},
    .slots = {bind::constructor<&new_facts>, bind::repr<&facts_repr>, bind::hash<&facts_hash>,
              bind::richcompare<&facts_compare>},
};

#undef VORN_FACTS_GROUP_GETTER

}  // namespace

PyTypeObject* PyFacts::type() { return bind::type_object(kFactsClass); }

Ref facts_of(const Position& position, const Variant& variant) {
  return bind::make<PyFacts>(computed(position, variant));
}

Ref facts_of(const Game& game) {
  FactsValue made{.fen = fen_with_clocks(game.current()), .variant = &game.variant()};
  model::Scratch scratch;
  model::compute_game(made.record, game, scratch);
  return bind::make<PyFacts>(std::move(made));
}

}  // namespace vorn::python::facts
