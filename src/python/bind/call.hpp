// Calling a C++ function from Python: the object a method is called on
// (the receiver) is adapted to the function's first parameter, the other
// parameters are converted from the matched arguments, all of them and in
// signature order before the function runs, and the result is converted
// back. The first parameter of a method, getter or slot function may be:
//
//   const PyX& / PyX&        the object itself
//   const Value& / Value&    its model value (`value` member), so a model
//                            function or member function serves directly
//   Shared<PyX> / Exclusive<PyX>  the object, borrowed (borrow.hpp)
//   PyObject*                the object as Python sees it
#pragma once

#include <array>
#include <functional>
#include <span>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "error/error.hpp"
#include "python/bind/convert.hpp"
#include "python/bind/signature.hpp"

namespace vorn::python::bind {

template <class... T>
struct TypeList {};

template <class F>
struct Callable;
template <class R, class... A>
struct Callable<R (*)(A...)> {
  using Params = TypeList<A...>;
};
template <class R, class... A>
struct Callable<R (*)(A...) noexcept> : Callable<R (*)(A...)> {};
template <class R, class C, class... A>
struct Callable<R (C::*)(A...) const> {
  using Params = TypeList<const C&, A...>;
};
template <class R, class C, class... A>
struct Callable<R (C::*)(A...) const noexcept> : Callable<R (C::*)(A...) const> {};
template <class R, class C, class... A>
struct Callable<R (C::*)(A...)> {
  using Params = TypeList<C&, A...>;
};
template <class R, class C, class... A>
struct Callable<R (C::*)(A...) noexcept> : Callable<R (C::*)(A...)> {};

template <auto F>
using ParamsOf = typename Callable<decltype(F)>::Params;

template <class List>
struct Split;
template <class First, class... Rest>
struct Split<TypeList<First, Rest...>> {
  using Head = First;
  using Tail = TypeList<Rest...>;
};
template <auto F>
using FirstParam = typename Split<ParamsOf<F>>::Head;
template <auto F>
using OtherParams = typename Split<ParamsOf<F>>::Tail;

template <class List>
inline constexpr std::size_t kCount = 0;
template <class... T>
inline constexpr std::size_t kCount<TypeList<T...>> = sizeof...(T);

template <class T>
inline constexpr bool kOptional = false;
template <class T>
inline constexpr bool kOptional<std::optional<T>> = true;

// The receiver as a function's first parameter `Param` takes it.
template <class Param, class Py>
decltype(auto) receiver(PyObject* self) {
  using Bare = std::remove_cvref_t<Param>;
  Py& object = constructed<Py>(self);
  if constexpr (std::is_same_v<Param, PyObject*>) {
    return self;
  } else if constexpr (std::is_same_v<Bare, Py>) {
    return (object);
  } else if constexpr (std::is_same_v<Bare, Shared<Py>> || std::is_same_v<Bare, Exclusive<Py>>) {
    return Bare(object);
  } else {
    static_assert(std::is_same_v<Bare, ValueOf<Py>>, "the first parameter cannot take the receiver");
    return (object.value);
  }
}

// Everything one bound callable keeps: its parameters, or the name of the
// one argument a slot converts. Filled when its class or function is set up.
struct Site {
  Signature signature;
  const char* argument = nullptr;
};

// Never destroyed: its default values must not be released after the
// interpreter has gone, at process exit. Made when the library loads, so a
// call reaches it with no first-use guard.
template <class Py, auto F, class Use>
inline Site& kSite = *new Site;

template <class Py, auto F, class Use>
Site& site() {
  return kSite<Py, F, Use>;
}

// What a parameter is converted to: the parameter type itself, except that
// `const T&` of a plain value (say `const std::string&`) converts a T.
template <class P>
using Converted = std::conditional_t<std::is_lvalue_reference_v<P> && !PythonClass<std::remove_cvref_t<P>>,
                                     std::remove_cvref_t<P>, P>;

template <auto F, class Params>
struct Invoke;

template <auto F, class... P>
struct Invoke<F, TypeList<P...>> {
  // Converts `objects` to P..., then calls F with `leading` followed by them.
  template <class... Leading>
  static auto call(std::span<PyObject* const> objects, const Signature& signature, Leading&&... leading) {
    return call_indexed(objects, signature, std::index_sequence_for<P...>{}, std::forward<Leading>(leading)...);
  }

 private:
  template <std::size_t... I, class... Leading>
  static auto call_indexed([[maybe_unused]] std::span<PyObject* const> objects,
                           [[maybe_unused]] const Signature& signature,
                           std::index_sequence<I...>, Leading&&... leading) {
    // Braced initialisation converts strictly left to right.
    std::tuple<Converted<P>...> converted{from_python<Converted<P>>(objects[I], signature.name(I))...};
    return std::apply(
        [&](auto&&... args) {
          return std::invoke(F, std::forward<Leading>(leading)..., std::forward<decltype(args)>(args)...);
        },
        std::move(converted));
  }
};

// Reads `doc`'s text signature into the site of F, checking it against the
// parameters that F converts.
template <class Py, auto F, class Use, class Params>
void attach_signature(std::string function, std::string_view name, const char* doc, bool receiver) {
  Signature signature = Signature::parse(std::move(function), name, doc, receiver);
  if (signature.size() != kCount<Params>) {
    panic("text signature of " + signature.function() + " names " + std::to_string(signature.size()) +
          " parameters; the C++ function takes " + std::to_string(kCount<Params>));
  }
  const auto accepts_absent = []<class... P>(TypeList<P...>) {
    return std::array<bool, sizeof...(P)>{(kOptional<std::remove_cvref_t<P>> || std::is_same_v<P, PyObject*>)...};
  }(Params{});
  for (std::size_t i = 0; i < signature.size(); ++i) {
    if (signature.may_be_absent(i) && !accepts_absent[i]) {
      panic(signature.function() + ": parameter " + signature.name(i) +
            " defaults to ... but is neither a std::optional nor a PyObject*");
    }
  }
  site<Py, F, Use>().signature = std::move(signature);
}

// The Python object for what `make` returns; None for void.
template <class Make>
Ref python_result(Make&& make) {
  if constexpr (std::is_void_v<decltype(make())>) {
    make();
    return Ref::none();
  } else {
    return to_python(make());
  }
}

}  // namespace vorn::python::bind
