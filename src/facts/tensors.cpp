#include "facts/tensors.hpp"

#include <array>
#include <span>

#include "error/error.hpp"
#include "facts/catalogue.hpp"

namespace vorn::facts::tensors {

namespace {

using types::Dtype;
using types::FieldType;
using types::Kind;

// Every shape a field may have; anything else is a fault of the catalogue.
bool listed(std::span<const std::size_t> shape) {
  static const std::vector<std::vector<std::size_t>> kShapes{{},     {2},    {3},    {8},    {64},
                                                             {2, 2}, {2, 3}, {2, 6}, {2, 8}, {2, 64}};
  for (const auto& allowed : kShapes) {
    if (std::equal(allowed.begin(), allowed.end(), shape.begin(), shape.end())) return true;
  }
  return false;
}

std::string shape_text(std::span<const std::size_t> shape) {
  std::string text = "[";
  for (std::size_t i = 0; i < shape.size(); ++i) {
    if (i > 0) text += ", ";
    text += std::to_string(shape[i]);
  }
  return text + "]";
}

std::string joined(const std::vector<std::string>& parts) {
  std::string text;
  for (std::size_t i = 0; i < parts.size(); ++i) text += (i > 0 ? "; " : "") + parts[i];
  return text;
}

Entry entry_of(std::string_view group, const catalogue::Field& field) {
  const FieldType& kind = *field.description;
  auto shape = kind.shape();
  if (!listed(shape)) panic(std::string(field.name) + ": an unlisted shape " + shape_text(shape));
  std::vector<std::string> axes;
  kind.axes(axes);
  Entry entry{.name = std::string(group) + "." + std::string(field.name),
              .group = group,
              .field = field.name,
              .declared = field.type,
              .kind = &kind,
              .dtype = kind.dtype(),
              .shape = std::move(shape),
              .order = joined(axes),
              .encoding = kind.encoding(),
              .packed_dtype = kind.packed_dtype(),
              .packed_shape = kind.packed_shape(),
              .meaning = field.meaning};
  return entry;
}

void write_dtype(json::Writer& w, std::string_view key, Dtype dtype) { json::member(w, key, dtype.text()); }

}  // namespace

void write_kind(json::Writer& w, const FieldType& type) {
  w.begin_object();
  switch (type.kind) {
    case Kind::Int:
      json::member(w, "bits", type.bits);
      json::member(w, "kind", name(type.kind));
      json::member(w, "signed", type.is_signed);
      break;
    case Kind::Named:
      w.key("codes");
      json::write_items(w, type.codes);
      json::member(w, "kind", name(type.kind));
      json::member(w, "type", type.named);
      break;
    case Kind::Optional:
    case Kind::ByColour:
      w.key("item");
      write_kind(w, *type.item);
      json::member(w, "kind", name(type.kind));
      break;
    case Kind::Fixed:
      w.key("item");
      write_kind(w, *type.item);
      json::member(w, "kind", name(type.kind));
      json::member(w, "len", type.len);
      json::member(w, "order", types::order_text(type.run));
      json::member(w, "run", name(type.run));
      break;
    default: json::member(w, "kind", name(type.kind));
  }
  w.end_object();
}

void write(json::Writer& w, const Entry& entry) {
  w.begin_object();
  json::member(w, "declared", entry.declared);
  write_dtype(w, "dtype", entry.dtype);
  json::member(w, "encoding", entry.encoding);
  json::member(w, "field", entry.field);
  json::member(w, "group", entry.group);
  w.key("kind");
  write_kind(w, *entry.kind);
  json::member(w, "meaning", entry.meaning);
  json::member(w, "name", entry.name);
  json::member(w, "order", entry.order);
  write_dtype(w, "packed_dtype", entry.packed_dtype);
  json::member(w, "packed_shape", entry.packed_shape);
  json::member(w, "shape", entry.shape);
  w.end_object();
}

const Layout& layout() {
  static const Layout kLayout = [] {
    Layout built;
    for (const catalogue::Group& group : catalogue::kGroups) {
      for (const catalogue::Field& field : group.fields) built.push_back(entry_of(group.name, field));
    }
    return built;
  }();
  return kLayout;
}

const std::string& layout_json() {
  static const std::string kText = [] {
    json::Writer w(1 << 17);
    json::write_items(w, layout());
    return std::move(w).text();
  }();
  return kText;
}

}  // namespace vorn::facts::tensors
