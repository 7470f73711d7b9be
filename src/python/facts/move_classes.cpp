// The facts of each legal move, as Python sees them:
//
//   for a in position.annotated_moves():   or game.annotated_moves()
//       a.move, a.facts                    a Move and its MoveFacts
//       a.facts.gives_check, a.facts.see   one attribute per catalogue field
//       a.facts.to_dict(), hash(a.facts), a.facts == b.facts
#include <string>

#include "facts/record_json.hpp"
#include "python/bind/record_class.hpp"
#include "python/board/classes.hpp"
#include "python/facts/classes.hpp"
#include "python/facts/elements.hpp"
#include "python/facts/plain_data.hpp"

namespace vorn::python::facts {

namespace {

using bind::Ref;

Ref move_facts_dict(const model::MoveFacts& facts) { return plain(facts); }

#define VORN_MOVE_FACTS_FIELD(name, Type, meaning) \
  bind::record_field<&model::MoveFacts::name, Elements>(#name, meaning),

const bind::ClassSpec<PyMoveFacts> kMoveFactsClass = bind::record_class<PyMoveFacts>({
    .name = "vorn.MoveFacts",
    .doc = "What one legal move does, beyond what the move itself says. The mover is the side to move; the "
           "enemy is the other side.",
    .to_dict = bind::method<&move_facts_dict>("to_dict",
                                              "to_dict($self)\n--\n\nWhat the move does, as plain data, in the "
                                              "one JSON form\n`docs/features.md` describes."),
    .fields = {VORN_MOVE_FACTS(VORN_MOVE_FACTS_FIELD)},
});

#undef VORN_MOVE_FACTS_FIELD

Move annotated_move(const model::AnnotatedMove& annotated) { return annotated.move; }
Ref annotated_facts(const model::AnnotatedMove& annotated) { return bind::make<PyMoveFacts>(annotated.facts); }
std::string annotated_repr(const model::AnnotatedMove& annotated) {
  return "<AnnotatedMove " + move_uci(annotated.move, CastlingStyle::KingToRook) + ">";
}

const bind::ClassSpec<PyAnnotatedMove> kAnnotatedMoveClass{
    .name = "vorn.AnnotatedMove",
    .doc = "A legal move and its facts.",
    .getters = {bind::getter<&annotated_move>("move", "The move."),
                bind::getter<&annotated_facts>("facts", "What it does.")},
    .slots = {bind::repr<&annotated_repr>},
};

}  // namespace

PyTypeObject* PyMoveFacts::type() { return bind::type_object(kMoveFactsClass); }
PyTypeObject* PyAnnotatedMove::type() { return bind::type_object(kAnnotatedMoveClass); }

Ref annotated_moves(const Position& position, const Variant& variant) {
  model::Facts facts;
  model::Scratch scratch;
  model::AnnotatedMoves per_move;
  model::compute(facts, position, variant, scratch, &per_move);
  Ref list = Ref::check(PyList_New(Py_ssize_t(per_move.size())));
  Py_ssize_t i = 0;
  for (const model::AnnotatedMove& annotated : per_move) {
    PyList_SetItem(list.get(), i++, bind::make<PyAnnotatedMove>(annotated).release());
  }
  return list;
}

}  // namespace vorn::python::facts
