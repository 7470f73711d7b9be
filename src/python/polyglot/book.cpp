// PolyglotBook and its iterator, as Python sees them:
//
//   book = PolyglotBook("book.bin")   or PolyglotBook.from_bytes(data); len(book)
//   book.entries(position), book.best(position), book.pick(position, seed)
//   book.raw_entries(key), book.get(index), list(book)   # PolyglotRaw records
//   PolyglotBook.write("out.bin", entries)                # sorted, duplicates merged
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "python/bind/interrupt.hpp"
#include "python/board/classes.hpp"
#include "python/polyglot/polyglot.hpp"

namespace vorn::python {

namespace {

namespace model = vorn::polyglot;

// What from_bytes takes: bytes or bytearray as they are, or any other
// sequence of integers 0..255 but a str.
struct BookBytes {
  std::vector<unsigned char> bytes;
};

}  // namespace

}  // namespace vorn::python

namespace vorn::python::bind {

template <>
struct Converter<BookBytes> {
  static BookBytes from(PyObject* object) {
    const auto copy = [](const char* data, Py_ssize_t size) {
      return BookBytes{{reinterpret_cast<const unsigned char*>(data), reinterpret_cast<const unsigned char*>(data) + size}};
    };
    if (PyBytes_Check(object)) return copy(PyBytes_AsString(object), PyBytes_Size(object));
    if (PyByteArray_Check(object)) return copy(PyByteArray_AsString(object), PyByteArray_Size(object));
    return {Converter<std::vector<unsigned char>>::from(object)};
  }
};

}  // namespace vorn::python::bind

namespace vorn::python {

namespace {

// ---- PolyglotBook -------------------------------------------------------------------

model::Book checked(std::expected<model::Book, model::FileError> book, const bind::PathBytes* path) {
  if (book) return std::move(*book);
  if (path != nullptr) polyglot::file_error(book.error(), *path);
  bind::raise(PyExc_OSError, book.error().message());
}

model::Book open_book(const bind::PathBytes& path) {
  const bind::SignalHandlers run_handlers;
  return checked(bind::without_lock([&] { return model::Book::open(path.bytes, run_handlers); }), &path);
}
model::Book book_from_bytes(const BookBytes& data) { return checked(model::Book::from_bytes(data.bytes), nullptr); }

void write_book(const bind::PathBytes& path, const std::vector<model::Entry>& entries) {
  std::vector<model::Raw> records;
  records.reserve(entries.size());
  for (const model::Entry& entry : entries) records.push_back(model::Raw::of(entry));
  if (const auto written = model::write_raw(path.bytes, std::move(records)); !written) {
    polyglot::file_error(written.error(), path);
  }
}

std::size_t book_length(const model::Book& book) { return book.size(); }

std::vector<model::Raw> raw_entries(const model::Book& book, std::uint64_t key) {
  const std::span<const model::Raw> found = book.raw_entries(key);
  return {found.begin(), found.end()};
}

std::vector<model::Entry> entries(const model::Book& book, const PyPosition& position, const PyVariant* variant) {
  return book.entries(resolve(variant), position.value);
}

std::optional<model::Entry> best(const model::Book& book, const PyPosition& position, const PyVariant* variant) {
  return book.best(resolve(variant), position.value);
}

std::optional<model::Entry> pick(const model::Book& book, const PyPosition& position, std::uint64_t seed,
                                 const PyVariant* variant) {
  return book.pick(resolve(variant), position.value, seed);
}

bind::Ref book_iter(const model::Book& book) { return bind::make<PyBookIter>(BookCursor{book.records()}); }

std::string book_repr(const model::Book& book) { return "<PolyglotBook " + std::to_string(book.size()) + " entries>"; }

const bind::ClassSpec<PyBook> kBookClass{
    .name = "vorn.polyglot.PolyglotBook",
    .doc = "PolyglotBook(path)\n--\n\nAn opening book: entries sorted by key, looked up by position.\n\n"
           "A file longer than 1 GiB (67108864 entries), or a pipe that never ends,\n"
           "is refused with OSError.",
    .methods =
        {bind::static_method<&book_from_bytes>("from_bytes", "from_bytes(data)\n--\n\nThe book `data` holds."),
         bind::static_method<&write_book>("write",
                                          "write(path, entries)\n--\n\nWrites `entries` to `path`, sorted and merged."),
         bind::method<&model::Book::get>(
             "get", "get($self, index)\n--\n\nThe entry at `index`, counting from the start of the file."),
         bind::method<&raw_entries>("raw_entries",
                                    "raw_entries($self, key)\n--\n\nThe entries at `key`, in the order the file gives them."),
         bind::method<&entries>(
             "entries",
             "entries($self, position, *, variant=None)\n--\n\nThe entries at this position's key that name a move legal in it."),
         bind::method<&best>("best",
                             "best($self, position, *, variant=None)\n--\n\nThe heaviest of them; ties go to the earlier entry."),
         bind::method<&pick>("pick",
                             "pick($self, position, seed, *, variant=None)\n--\n\nOne of them, drawn by weight: the entry "
                             "whose running total first\nexceeds `seed` reduced modulo the total.")},
    .slots = {bind::constructor<&open_book>, bind::len<&book_length>, bind::iter<&book_iter>,
              bind::repr<&book_repr>},
};

// ---- PolyglotBookIter ------------------------------------------------------------------

std::string iter_repr(const BookCursor&) { return "<PolyglotBookIter>"; }

const bind::ClassSpec<PyBookIter> kBookIterClass{
    .name = "vorn.polyglot.PolyglotBookIter",
    .doc = "An iterator over a book's entries, in file order.",
    .slots = {bind::iter_self, bind::next<&BookCursor::advance>, bind::repr<&iter_repr>},
};

}  // namespace

std::optional<model::Raw> BookCursor::advance() {
  if (next >= records->size()) return std::nullopt;
  return (*records)[next++];
}

PyTypeObject* PyBook::type() { return bind::type_object(kBookClass); }
PyTypeObject* PyBookIter::type() { return bind::type_object(kBookIterClass); }

void polyglot::file_error(const model::FileError& error, const bind::PathBytes& path) {
  if (error.kind == model::FileError::Kind::System) bind::raise_os_error(error.number, path);
  bind::raise(PyExc_OSError, error.message());
}

}  // namespace vorn::python
