// Python classes from one declarative ClassSpec each. A class is a
// bind::Object holding its model value in `value` (object.hpp); its type
// object is made on first use (registration, or an earlier make<>) and kept
// for the process. Instances have no __dict__, the class cannot be
// subclassed and, like a built-in type, cannot be changed (`Move.x = 1` and
// `Move.__new__ = f` raise TypeError).
//
// A class is one declaration in the area's header (in namespace
// vorn::python), its spec and type function in the area's source, and its
// place in the add_classes<...> list of the area's module.cpp (bind/module.hpp):
//
//   VORN_CONVERTED_CLASS(PyMove, vorn::Move);  // or VORN_CLASS when no
//                                               // function returns the value
//
//   const ClassSpec<PyMove> kMoveClass{
//       .name = "vorn.Move",  // "module.Class": gives __module__ and __qualname__
//       .doc = "Move(origin, destination, promotion=None, kind=\"quiet\", is_capture=False)\n--\n\n...",
//       .getters = {getter<&origin_of>("origin", "The square the moving unit starts on...")},
//       .methods = {method<&move_uci>("uci", "uci($self, *, castling=\"king_to_rook\")\n--\n\n..."),
//                   static_method<&move_from_uci>("from_uci", "from_uci(text)\n--\n\n...")},
//       .slots = {constructor<&new_move>, str<&move_text>, repr<&move_repr>, hash<&move_hash>,
//                 equality<&vorn::Move::same_action>}};
//   PyTypeObject* PyMove::type() { return type_object(kMoveClass); }
//
//   std::string move_uci(const vorn::Move& move, std::string_view castling);  // receiver, then params
//   Ref made = make<PyMove>(vorn::Move::make(12, 28));                       // an instance from C++
//
// The entries (f's first parameter is the receiver, see call.hpp):
//   getters     getter<&f>(name, doc)                     f(receiver) -> T
//               property<&get, &set>(name, doc, argument) set(receiver, T); a wrong T names `argument`
//   methods     method<&f>(name, doc)                     f(receiver, params...)
//               static_method<&f>(name, doc)              f(params...)
//               class_method<&f>(name, doc)               f(PyTypeObject* cls, params...)
//   slots       constructor<&f>                           f(params...) -> the value, or a Ref
//               repr<&f> str<&f> hash<&f> len<&f> truth<&f> iter<&f> iter_self next<&f>
//               equality<&f> richcompare<&f> contains<&f>(argument) getitem<&f>(argument)
//               unary<Py_nb_invert, &f> binary<Py_nb_or, &f> (any one- or two-operand slot)
//   attributes  attribute<&f>(name)                       a class attribute holding f()
// Methods and the constructor take their parameter names and defaults from
// the docstring's text signature ("name(...)\n--\n\n", see signature.hpp),
// checked against f when the type is made; their params are converted by
// Converter<T> (convert.hpp), all before f runs. A class without a
// constructor cannot be called from Python ("cannot create 'vorn.X'
// instances"). A value type with `int traverse(visitproc, void*) const` and
// `void clear()` makes the class take part in garbage collection, for values
// that hold Python objects. Every trampoline runs in `guarded` (raise.hpp).
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "python/bind/call.hpp"
#include "hash/siphash.hpp"

// The struct of a Python class holding a `Value`, and with VORN_CONVERTED_
// CLASS also the conversion that hands any `Value` a function returns to
// Python as an instance. Written in namespace vorn::python.
#define VORN_CLASS(PyName, ...) \
  struct PyName : ::vorn::python::bind::Object<__VA_ARGS__> { \
    static PyTypeObject* type(); \
  }
#define VORN_CONVERTED_CLASS(PyName, ...) \
  VORN_CLASS(PyName, __VA_ARGS__); \
  template <> \
  struct bind::Converter<__VA_ARGS__> : bind::ClassConverter<PyName> {}

namespace vorn::python::bind {

namespace detail {

struct MethodUse {};
struct ConstructorUse {};
struct SetterUse {};
struct ArgumentUse {};

template <class T>
void* as_slot(T* function) {
  return reinterpret_cast<void*>(function);
}

template <class Py>
constexpr bool kCollected = requires(const ValueOf<Py>& value, visitproc visit, void* arg) {
  { value.traverse(visit, arg) } -> std::same_as<int>;
};

// Runs `finish(object)` for an object whose value holds Python objects. Such
// values nest (a ByColour of a ByColour of ...), and freeing one frees the
// next from inside its own dealloc; past a fixed depth the object is parked
// and finished by the outermost call instead, as CPython's trashcan does, so
// a long chain cannot overflow the C stack.
void finish_nested(PyObject* object, void (*finish)(PyObject*)) noexcept;

inline std::string_view short_name(std::string_view qualified) {
  return qualified.substr(qualified.rfind('.') + 1);
}

}  // namespace detail

// How many freed instances of Py are kept to be handed out again, sparing
// the allocator and its clearing of the memory: none unless a class that is
// made and dropped at a high rate asks for some. Only for classes outside
// garbage collection; a class cannot be subclassed, so all are one size.
template <class Py>
inline constexpr std::size_t kRecycled = 0;

namespace detail {

template <class Py>
struct Recycled {
  static_assert(!kCollected<Py>, "a collected object carries a header before it");
  std::array<PyObject*, kRecycled<Py>> objects;
  std::size_t size = 0;
};

template <class Py>
Recycled<Py>& recycled() {
  static Recycled<Py> kept;  // touched with the interpreter lock held only
  return kept;
}

template <class Py>
PyObject* allocate(PyTypeObject* type) {
  if constexpr (kRecycled<Py> > 0) {
    Recycled<Py>& kept = recycled<Py>();
    if (kept.size > 0) return PyObject_Init(kept.objects[--kept.size], type);
  }
  return reinterpret_cast<allocfunc>(PyType_GetSlot(type, Py_tp_alloc))(type, 0);
}

// Frees an instance whose value is gone, or keeps it for reuse.
template <class Py>
void release(PyObject* self) {
  if constexpr (kRecycled<Py> > 0) {
    Recycled<Py>& kept = recycled<Py>();
    if (kept.size < kept.objects.size()) {
      kept.objects[kept.size++] = self;
      return;
    }
  }
  reinterpret_cast<freefunc>(PyType_GetSlot(Py_TYPE(self), Py_tp_free))(self);
}

}  // namespace detail

// Allocates an instance of `type` (Py's class) and constructs its value.
template <PythonClass Py, class... Args>
Ref emplace(PyTypeObject* type, Args&&... args) {
  Ref object = Ref::check(detail::allocate<Py>(type));
  // Out of the collector's sight until the value exists.
  if constexpr (detail::kCollected<Py>) PyObject_GC_UnTrack(object.get());
  Py& made = *reinterpret_cast<Py*>(object.get());
  // Should this throw, the object is freed unconstructed.
  std::construct_at(&made.value, std::forward<Args>(args)...);
  made.constructed = true;
  if constexpr (detail::kCollected<Py>) PyObject_GC_Track(object.get());
  return object;
}

template <PythonClass Py, class... Args>
Ref make(Args&&... args) {
  return emplace<Py>(Py::type(), std::forward<Args>(args)...);
}

// The value of an instance just made, for code that finishes it in place.
template <PythonClass Py>
ValueOf<Py>& made_value(const Ref& made) {
  return reinterpret_cast<Py*>(made.get())->value;
}

// ---- methods ---------------------------------------------------------------

enum class Receiver { Instance, Type, None };

template <auto F, Receiver R>
struct MethodTag {
  const char* name;
  const char* doc;
};

template <auto F>
MethodTag<F, Receiver::Instance> method(const char* name, const char* doc) {
  return {name, doc};
}
template <auto F>
MethodTag<F, Receiver::None> static_method(const char* name, const char* doc) {
  return {name, doc};
}
// F's first parameter is the class, a PyTypeObject*.
template <auto F>
MethodTag<F, Receiver::Type> class_method(const char* name, const char* doc) {
  return {name, doc};
}

namespace detail {

template <class Py, auto F, Receiver R>
PyObject* method_trampoline(PyObject* self, PyObject* const* args, Py_ssize_t count, PyObject* keywords) {
  return guarded<PyObject*>(nullptr, [&] {
    const Signature& signature = site<Py, F, MethodUse>().signature;
    if constexpr (R == Receiver::None) {
      std::array<PyObject*, kCount<ParamsOf<F>>> objects;
      signature.bind(args, count, keywords, objects);
      return python_result([&] { return Invoke<F, ParamsOf<F>>::call(objects, signature); }).release();
    } else {
      std::array<PyObject*, kCount<OtherParams<F>>> objects;
      signature.bind(args, count, keywords, objects);
      decltype(auto) first = [&]() -> decltype(auto) {
        if constexpr (R == Receiver::Type) return reinterpret_cast<PyTypeObject*>(self);
        else return receiver<FirstParam<F>, Py>(self);
      }();
      return python_result([&] {
               return Invoke<F, OtherParams<F>>::call(objects, signature,
                                                      std::forward<decltype(first)>(first));
             }).release();
    }
  });
}

// The parameters the arguments fill: all of F's for a static method, which
// may have none, else those after the receiver.
template <auto F, Receiver R>
struct BoundParams {
  using type = OtherParams<F>;
};
template <auto F>
struct BoundParams<F, Receiver::None> {
  using type = ParamsOf<F>;
};

}  // namespace detail

template <class Py>
struct MethodEntry {
  template <auto F, Receiver R>
  MethodEntry(MethodTag<F, R> tag)
      : def{tag.name,
            reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&detail::method_trampoline<Py, F, R>)),
            METH_FASTCALL | METH_KEYWORDS | (R == Receiver::None ? METH_STATIC : 0) |
                (R == Receiver::Type ? METH_CLASS : 0),
            tag.doc},
        attach([](std::string_view class_name, const char* name, const char* doc) {
          using Params = typename detail::BoundParams<F, R>::type;
          attach_signature<Py, F, detail::MethodUse, Params>(std::string(class_name) + "." + name, name, doc,
                                                            R != Receiver::None);
        }) {}

  PyMethodDef def;
  void (*attach)(std::string_view class_name, const char* name, const char* doc);
};

// ---- getters and properties ---------------------------------------------------

template <auto Get, auto Set>
struct PropertyTag {
  const char* name;
  const char* doc;
  const char* argument;  // the name a wrong value's TypeError gives
};

template <auto Get>
PropertyTag<Get, nullptr> getter(const char* name, const char* doc = nullptr) {
  return {name, doc, nullptr};
}
template <auto Get, auto Set>
PropertyTag<Get, Set> property(const char* name, const char* doc, const char* argument) {
  return {name, doc, argument};
}

namespace detail {

template <class Py, auto Get>
PyObject* get_trampoline(PyObject* self, void*) {
  return guarded<PyObject*>(nullptr, [&] {
    return python_result([&] { return std::invoke(Get, receiver<FirstParam<Get>, Py>(self)); }).release();
  });
}

template <class Py, auto Set>
int set_trampoline(PyObject* self, PyObject* value, void*) {
  return guarded(-1, [&] {
    if (value == nullptr) raise(PyExc_AttributeError, "can't delete attribute");
    using Value = typename Split<OtherParams<Set>>::Head;
    decltype(auto) first = receiver<FirstParam<Set>, Py>(self);
    std::invoke(Set, std::forward<decltype(first)>(first),
                from_python<Converted<Value>>(value, site<Py, Set, SetterUse>().argument));
    return 0;
  });
}

}  // namespace detail

template <class Py>
struct GetterEntry {
  template <auto Get, auto Set>
  GetterEntry(PropertyTag<Get, Set> tag)
      : def{tag.name, &detail::get_trampoline<Py, Get>, nullptr, tag.doc, nullptr} {
    if constexpr (!std::is_null_pointer_v<decltype(Set)>) {
      def.set = &detail::set_trampoline<Py, Set>;
      argument = tag.argument;
      attach = [](const char* name) { site<Py, Set, detail::SetterUse>().argument = name; };
    }
  }

  PyGetSetDef def;
  const char* argument = nullptr;
  void (*attach)(const char* argument) = nullptr;
};

// ---- slots -------------------------------------------------------------------

template <class Py>
struct SlotEntry {
  PyType_Slot slot;
  // Sets up the slot's site when the type is made: the constructor reads
  // the class docstring, a slot with an argument keeps the argument's name.
  void (*attach)(std::string_view class_name, const char* class_doc, const char* argument) = nullptr;
  const char* argument = nullptr;

  SlotEntry(PyType_Slot slot, decltype(attach) attach = nullptr, const char* argument = nullptr)
      : slot(slot), attach(attach), argument(argument) {}
  template <class Tag>
    requires requires(const Tag& tag) { tag.template entry<Py>(); }
  SlotEntry(const Tag& tag) : SlotEntry(tag.template entry<Py>()) {}
};

namespace detail {

// One struct per kind of slot function; `call` is what CPython calls.

template <class Py, auto F>
struct New {
  static PyObject* call(PyTypeObject* type, PyObject* args, PyObject* keywords) {
    return guarded<PyObject*>(nullptr, [&] {
      const Signature& signature = site<Py, F, ConstructorUse>().signature;
      std::array<PyObject*, kCount<ParamsOf<F>>> objects;
      signature.bind(args, keywords, objects);
      auto made = Invoke<F, ParamsOf<F>>::call(objects, signature);
      if constexpr (std::is_same_v<decltype(made), Ref>) return made.release();
      else return emplace<Py>(type, std::move(made)).release();
    });
  }
};

template <class Py, auto F>
decltype(auto) call_on(PyObject* self) {
  return std::invoke(F, receiver<FirstParam<F>, Py>(self));
}

template <class Py, auto F>
struct Unary {
  static PyObject* call(PyObject* self) {
    return guarded<PyObject*>(nullptr, [&] {
      return python_result([&] { return call_on<Py, F>(self); }).release();
    });
  }
};

template <class Py, auto F>
struct Hash {
  static Py_hash_t call(PyObject* self) {
    return guarded<Py_hash_t>(-1, [&] { return Py_hash_t(vorn::python_hash(call_on<Py, F>(self))); });
  }
};

template <class Py, auto F>
struct Length {
  static Py_ssize_t call(PyObject* self) {
    return guarded<Py_ssize_t>(-1, [&] { return Py_ssize_t(call_on<Py, F>(self)); });
  }
};

template <class Py, auto F>
struct Truth {
  static int call(PyObject* self) {
    return guarded(-1, [&] { return call_on<Py, F>(self) ? 1 : 0; });
  }
};

template <class Py, auto F>
struct Iter {
  static PyObject* call(PyObject* self) {
    return guarded<PyObject*>(nullptr, [&] {
      return PyObject_GetIter(to_python(call_on<Py, F>(self)).get());
    });
  }
};

template <class Py, auto>
struct IterSelf {
  static PyObject* call(PyObject* self) {
    return guarded<PyObject*>(nullptr, [&] {
      constructed<Py>(self);
      return Ref::borrow(self).release();
    });
  }
};

template <class Py, auto F>
struct Next {
  static PyObject* call(PyObject* self) {
    return guarded<PyObject*>(nullptr, [&]() -> PyObject* {
      auto item = call_on<Py, F>(self);
      return item ? to_python(std::move(*item)).release() : nullptr;  // null, no error: exhausted
    });
  }
};

// F(receiver, key) with the key converted and named in its TypeError.
template <class Py, auto F>
decltype(auto) call_with_key(PyObject* self, PyObject* key) {
  using Key = typename Split<OtherParams<F>>::Head;
  decltype(auto) first = receiver<FirstParam<F>, Py>(self);
  return std::invoke(F, std::forward<decltype(first)>(first),
                     from_python<Converted<Key>>(key, site<Py, F, ArgumentUse>().argument));
}

template <class Py, auto F>
struct Contains {
  static int call(PyObject* self, PyObject* key) {
    return guarded(-1, [&] { return call_with_key<Py, F>(self, key) ? 1 : 0; });
  }
};

template <class Py, auto F>
struct Item {
  static PyObject* call(PyObject* self, PyObject* key) {
    return guarded<PyObject*>(nullptr, [&] { return to_python(call_with_key<Py, F>(self, key)).release(); });
  }
};

template <class Py, auto F>
struct Binary {
  static PyObject* call(PyObject* left, PyObject* right) {
    return guarded<PyObject*>(nullptr, [&] {
      if (instance<Py>(left) == nullptr || instance<Py>(right) == nullptr) {
        return Ref::not_implemented().release();
      }
      using Right = typename Split<OtherParams<F>>::Head;
      return to_python(std::invoke(F, receiver<FirstParam<F>, Py>(left), receiver<Right, Py>(right)))
          .release();
    });
  }
};

template <class Py, auto F>
struct Equality {
  static PyObject* call(PyObject* self, PyObject* other, int op) {
    return guarded<PyObject*>(nullptr, [&] {
      if ((op != Py_EQ && op != Py_NE) || instance<Py>(other) == nullptr) {
        return Ref::not_implemented().release();
      }
      using Other = typename Split<OtherParams<F>>::Head;
      const bool equal = std::invoke(F, receiver<FirstParam<F>, Py>(self), receiver<Other, Py>(other));
      return to_python(equal == (op == Py_EQ)).release();
    });
  }
};

template <class Py, auto F>
struct RichCompare {
  static PyObject* call(PyObject* self, PyObject* other, int op) {
    return guarded<PyObject*>(nullptr, [&] {
      return to_python(std::invoke(F, receiver<FirstParam<F>, Py>(self), other, op)).release();
    });
  }
};

}  // namespace detail

template <int Id, template <class, auto> class Slot, auto F>
struct SlotTag {
  template <class Py>
  SlotEntry<Py> entry() const {
    return SlotEntry<Py>({Id, detail::as_slot(&Slot<Py, F>::call)});
  }
};

// repr(obj) and str(obj): F(receiver) -> text.
template <auto F>
inline constexpr SlotTag<Py_tp_repr, detail::Unary, F> repr{};
template <auto F>
inline constexpr SlotTag<Py_tp_str, detail::Unary, F> str{};
// hash(obj): F(receiver) -> std::uint64_t, made signed with -1 turned to -2.
template <auto F>
inline constexpr SlotTag<Py_tp_hash, detail::Hash, F> hash{};
// len(obj): F(receiver) -> a count.
template <auto F>
inline constexpr SlotTag<Py_sq_length, detail::Length, F> len{};
// bool(obj): F(receiver) -> bool.
template <auto F>
inline constexpr SlotTag<Py_nb_bool, detail::Truth, F> truth{};
// iter(obj): F(receiver) -> something convertible and iterable (a std::vector, say).
template <auto F>
inline constexpr SlotTag<Py_tp_iter, detail::Iter, F> iter{};
// iter(obj) is obj itself, for an iterator class with next<F>.
inline constexpr SlotTag<Py_tp_iter, detail::IterSelf, nullptr> iter_self{};
// next(obj): F(receiver) -> std::optional<T>; std::nullopt ends the iteration.
template <auto F>
inline constexpr SlotTag<Py_tp_iternext, detail::Next, F> next{};
// == and != with an object of the same class: F(a, b) -> bool; NotImplemented
// for any other class and for the orderings.
template <auto F>
inline constexpr SlotTag<Py_tp_richcompare, detail::Equality, F> equality{};
// Every comparison: F(receiver, PyObject* other, int op) -> a Ref.
template <auto F>
inline constexpr SlotTag<Py_tp_richcompare, detail::RichCompare, F> richcompare{};
// A one-operand operator (Py_nb_invert, Py_nb_negative, ...): F(receiver).
template <int Id, auto F>
inline constexpr SlotTag<Id, detail::Unary, F> unary{};
// A two-operand operator (Py_nb_or, Py_nb_subtract, ...): F(a, b) when both
// operands are of this class, NotImplemented otherwise.
template <int Id, auto F>
inline constexpr SlotTag<Id, detail::Binary, F> binary{};

// The constructor: F takes the parameters of the class docstring's text
// signature and returns the model value (or a Ref).
template <auto F>
struct ConstructorTag {
  template <class Py>
  SlotEntry<Py> entry() const {
    return SlotEntry<Py>({Py_tp_new, detail::as_slot(&detail::New<Py, F>::call)},
                         [](std::string_view class_name, const char* doc, const char*) {
                           attach_signature<Py, F, detail::ConstructorUse, ParamsOf<F>>(
                               std::string(class_name), class_name, doc, false);
                         });
  }
};
template <auto F>
inline constexpr ConstructorTag<F> constructor{};

template <int Id, template <class, auto> class Slot, auto F>
struct ArgumentSlotTag {
  const char* argument;
  template <class Py>
  SlotEntry<Py> entry() const {
    return SlotEntry<Py>({Id, detail::as_slot(&Slot<Py, F>::call)},
                         [](std::string_view, const char*, const char* name) {
                           site<Py, F, detail::ArgumentUse>().argument = name;
                         },
                         argument);
  }
};
// `key in obj`: F(receiver, key) -> bool; a key of the wrong type raises the
// TypeError naming `argument`.
template <auto F>
ArgumentSlotTag<Py_sq_contains, detail::Contains, F> contains(const char* argument) {
  return {argument};
}
// `obj[key]`: F(receiver, key) -> any convertible value.
template <auto F>
ArgumentSlotTag<Py_mp_subscript, detail::Item, F> getitem(const char* argument) {
  return {argument};
}

// ---- class attributes ----------------------------------------------------------

struct ClassAttribute {
  const char* name;
  Ref (*make)();
};

// A class attribute holding the object made of F().
template <auto F>
ClassAttribute attribute(const char* name) {
  return {name, [] { return to_python(F()); }};
}

// ---- ClassSpec and the type -------------------------------------------------------

template <class Py>
struct ClassSpec {
  const char* name;  // "module.Class", a static string: the type keeps pointing at it
  const char* doc = nullptr;
  std::vector<GetterEntry<Py>> getters = {};
  std::vector<MethodEntry<Py>> methods = {};
  std::vector<SlotEntry<Py>> slots = {};
  std::vector<ClassAttribute> attributes = {};
};

namespace detail {

template <class Py>
void finish_dealloc(PyObject* self) {
  PyTypeObject* type = Py_TYPE(self);
  Py& object = *reinterpret_cast<Py*>(self);
  if (object.constructed) std::destroy_at(&object.value);
  object.constructed = false;
  release<Py>(self);
  Py_DECREF(type);  // instances of heap types hold a reference to their type
}

template <class Py>
void dealloc(PyObject* self) {
  if constexpr (kCollected<Py>) {
    PyObject_GC_UnTrack(self);
    finish_nested(self, &finish_dealloc<Py>);
  } else {
    finish_dealloc<Py>(self);
  }
}

template <class Py>
int traverse(PyObject* self, visitproc visit, void* arg) {
  Py_VISIT(Py_TYPE(self));
  const Py& object = *reinterpret_cast<Py*>(self);
  return object.constructed ? object.value.traverse(visit, arg) : 0;
}

template <class Py>
int clear(PyObject* self) {
  Py& object = *reinterpret_cast<Py*>(self);
  if (object.constructed) object.value.clear();
  return 0;
}

// Stores an attribute in a type just made, which Python code can no longer
// change: straight into the type's dictionary, as the type's own setattr,
// which refuses immutable types, would have.
void set_class_attribute(PyObject* type, const ClassAttribute& attribute);

template <class Py>
Ref build_type(const ClassSpec<Py>& declared) {
  const std::string_view class_name = short_name(declared.name);
  // The method and attribute tables must outlive the type, which lives for
  // the rest of the process.
  auto& methods = *new std::vector<PyMethodDef>();
  auto& getsets = *new std::vector<PyGetSetDef>();
  for (const MethodEntry<Py>& entry : declared.methods) {
    entry.attach(class_name, entry.def.ml_name, entry.def.ml_doc);
    methods.push_back(entry.def);
  }
  for (const GetterEntry<Py>& entry : declared.getters) {
    if (entry.attach != nullptr) entry.attach(entry.argument);
    getsets.push_back(entry.def);
  }
  methods.push_back({nullptr, nullptr, 0, nullptr});
  getsets.push_back({nullptr, nullptr, nullptr, nullptr, nullptr});

  std::vector<PyType_Slot> slots{{Py_tp_dealloc, as_slot(&dealloc<Py>)},
                                 {Py_tp_methods, methods.data()},
                                 {Py_tp_getset, getsets.data()}};
  if (declared.doc != nullptr) slots.push_back({Py_tp_doc, const_cast<char*>(declared.doc)});
  if constexpr (kCollected<Py>) {
    slots.push_back({Py_tp_traverse, as_slot(&traverse<Py>)});
    slots.push_back({Py_tp_clear, as_slot(&clear<Py>)});
  }
  bool constructible = false;
  for (const SlotEntry<Py>& entry : declared.slots) {
    if (entry.attach != nullptr) entry.attach(class_name, declared.doc, entry.argument);
    constructible |= entry.slot.slot == Py_tp_new;
    slots.push_back(entry.slot);
  }
  slots.push_back({0, nullptr});

  // Immutable, as built-in types are: `Game.__new__ = ...` raises TypeError.
  unsigned flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE;
  if constexpr (kCollected<Py>) flags |= Py_TPFLAGS_HAVE_GC;
  if (!constructible) flags |= Py_TPFLAGS_DISALLOW_INSTANTIATION;
  PyType_Spec definition{declared.name, int(sizeof(Py)), 0, flags, slots.data()};
  Ref type = Ref::check(PyType_FromSpec(&definition));
  for (const ClassAttribute& attribute : declared.attributes) set_class_attribute(type.get(), attribute);
  return type;
}

}  // namespace detail

// The type object of Py, made from `declared` on first use.
template <class Py>
PyTypeObject* type_object(const ClassSpec<Py>& declared) {
  static PyObject* type = nullptr;
  return reinterpret_cast<PyTypeObject*>(process_object(type, [&] { return detail::build_type(declared); }));
}

}  // namespace vorn::python::bind
