// The tensor layout: for each of the facts' fields, the array it becomes in a
// batch of positions (the batch axis left off), derived once from the
// value types the catalogue declares.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "facts/types.hpp"
#include "json/writer.hpp"

namespace vorn::facts::tensors {

struct Entry {
  std::string name;  // "group.field"
  std::string_view group;
  std::string_view field;
  std::string_view declared;  // the type text as the catalogue has it
  const types::FieldType* kind;
  types::Dtype dtype;
  std::vector<std::size_t> shape;
  std::string order;  // the axes, joined by "; "
  std::optional<std::string> encoding;
  types::Dtype packed_dtype;
  std::optional<std::vector<std::size_t>> packed_shape;
  std::string_view meaning;
};

using Layout = std::vector<Entry>;

// Every field of every group in catalogue order, built on the first call.
const Layout& layout();
// The layout as one compact JSON array of entry objects, written once.
const std::string& layout_json();

// An entry as a JSON object, its members in ascending key order.
void write(json::Writer& w, const Entry& entry);
// A value type as its JSON kind object, members in ascending key order.
void write_kind(json::Writer& w, const types::FieldType& type);

}  // namespace vorn::facts::tensors
