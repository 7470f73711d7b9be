// The borrow flag of a mutable object (Game): any number of readers, or one
// writer, at a time. A conflict can only come from Python code that runs
// inside a member of the same object (an argument's __index__ calling back
// into it, say); it raises RuntimeError and changes nothing.
//
//   struct PyGame : Object<BorrowCell<vorn::Game>> { static PyTypeObject* type(); };
//   std::string game_fen(Shared<PyGame> game) { return fen::format(game->current(), true); }
//   void game_undo(Exclusive<PyGame> game) { game->undo(); }
//
// As the first parameter of a method, the guard is taken after the arguments
// are matched to parameters and before any is converted; as a later
// parameter it is taken when that argument is converted. A guard does not
// keep its object alive: it lives within one call.
#pragma once

#include <utility>

#include "python/bind/raise.hpp"

namespace vorn::python::bind {

template <class T>
class BorrowCell {
 public:
  using value_type = T;

  template <class... Args>
  explicit BorrowCell(Args&&... args) : value_(std::forward<Args>(args)...) {}
  BorrowCell(BorrowCell&& other) : value_(std::move(other.value_)) {}

 private:
  template <class> friend class Shared;
  template <class> friend class Exclusive;

  int readers_ = 0;  // -1 while a writer holds the cell
  T value_;
};

template <class Py>
class Shared {
 public:
  explicit Shared(Py& object) : object_(&object) {
    if (object.value.readers_ < 0) raise(PyExc_RuntimeError, "Already mutably borrowed");
    ++object.value.readers_;
  }
  Shared(Shared&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  Shared& operator=(Shared&&) = delete;
  ~Shared() {
    if (object_ != nullptr) --object_->value.readers_;
  }

  const auto& operator*() const { return object_->value.value_; }
  const auto* operator->() const { return &object_->value.value_; }
  Py& object() const { return *object_; }

 private:
  Py* object_;
};

template <class Py>
class Exclusive {
 public:
  explicit Exclusive(Py& object) : object_(&object) {
    if (object.value.readers_ != 0) raise(PyExc_RuntimeError, "Already borrowed");
    object.value.readers_ = -1;
  }
  Exclusive(Exclusive&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  Exclusive& operator=(Exclusive&&) = delete;
  ~Exclusive() {
    if (object_ != nullptr) object_->value.readers_ = 0;
  }

  auto& operator*() const { return object_->value.value_; }
  auto* operator->() const { return &object_->value.value_; }
  Py& object() const { return *object_; }

 private:
  Py* object_;
};

}  // namespace vorn::python::bind
