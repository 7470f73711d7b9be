// The Polyglot classes and their conversions, so that a function returning
// a polyglot::Raw or polyglot::Entry hands Python a PolyglotRaw or a
// PolyglotEntry:
//
//   PolyglotBook(path), PolyglotBook.from_bytes(data), PolyglotBook.write(path, entries)
//   PolyglotRaw(key, bits, weight=1, learn=0), PolyglotEntry(key, mv, weight=1, learn=0)
//   PolyglotBuilder(*, max_ply=None, min_count=1); POLYGLOT_ENTRY_SIZE == 16
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "polyglot/book.hpp"
#include "polyglot/build.hpp"
#include "python/bind/class.hpp"
#include "python/bind/module.hpp"
#include "python/bind/path.hpp"

namespace vorn::python {

VORN_CONVERTED_CLASS(PyRaw, vorn::polyglot::Raw);

VORN_CONVERTED_CLASS(PyEntry, vorn::polyglot::Entry);

VORN_CONVERTED_CLASS(PyBook, vorn::polyglot::Book);

// A book's records and the index of the next one. The records never change
// and outlive the book, so an iterator that has ended stays ended.
struct BookCursor {
  std::shared_ptr<const std::vector<vorn::polyglot::Raw>> records;
  std::size_t next = 0;

  std::optional<vorn::polyglot::Raw> advance();
};

VORN_CLASS(PyBookIter, BookCursor);

VORN_CLASS(PyBuilder, bind::BorrowCell<vorn::polyglot::build::Builder>);

}  // namespace vorn::python

namespace vorn::python::polyglot {

// Adds PolyglotRaw, PolyglotEntry, PolyglotBook, PolyglotBookIter,
// PolyglotBuilder, then POLYGLOT_ENTRY_SIZE.
void register_module(bind::Module& module);

// OSError for a failed read or write of the book file at `path`.
[[noreturn]] void file_error(const vorn::polyglot::FileError& error, const bind::PathBytes& path);

}  // namespace vorn::python::polyglot
