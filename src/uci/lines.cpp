#include "uci/lines.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <type_traits>
#include <utility>

#include "text/unicode.hpp"
#include "text/utf8.hpp"

namespace vorn::uci::protocol {

namespace {

// Word tables: the first row of `table` whose word is `word`, or null.
template <class T>
using Row = std::pair<std::string_view, T>;

template <class T, std::size_t N>
const T* find_row(const std::array<Row<T>, N>& table, std::string_view word) {
  const auto row = std::ranges::find(table, word, &Row<T>::first);
  return row == table.end() ? nullptr : &row->second;
}

// ---- Tokens ----

// The byte length of the white-space character at `line[i]`, or 0.
std::size_t space_length(std::string_view line, std::size_t i) {
  const utf8::Unit unit = utf8::decode(line, i);
  return unicode::is_white_space(unit.code) ? unit.length : 0;
}

// The line's tokens as slices of it, so a field can take the rest of the line
// with the engine's own spacing.
class Tokens {
 public:
  explicit Tokens(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size()) {
      if (const std::size_t space = space_length(line, i)) {
        i += space;
        continue;
      }
      const std::size_t start = i;
      while (i < line.size() && space_length(line, i) == 0) ++i;
      items_.push_back(line.substr(start, i - start));
    }
  }

  std::size_t size() const { return items_.size(); }
  std::string_view operator[](std::size_t i) const { return items_[i]; }
  // From token `i` to the end of the last token: trailing white space gone.
  std::string rest(std::size_t i) const {
    const auto begin = items_[i].data();
    const auto end = items_.back().data() + items_.back().size();
    return std::string(begin, end);
  }
  std::string joined(std::size_t from, std::size_t to) const {
    std::string out;
    for (std::size_t i = from; i < to; ++i) {
      if (i > from) out += ' ';
      out += items_[i];
    }
    return out;
  }
  std::vector<std::string> texts(std::size_t from, std::size_t to) const {
    return {items_.begin() + std::ptrdiff_t(from), items_.begin() + std::ptrdiff_t(to)};
  }

 private:
  std::vector<std::string_view> items_;
};

// ---- Numbers ----

bool all_digits(std::string_view text) {
  return !text.empty() && std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<std::uint64_t> digits_value(std::string_view digits) {
  if (!all_digits(digits)) return std::nullopt;
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc{}) return std::nullopt;  // past 64 bits
  return value;
}

// An optional "+" and decimal digits, within T.
template <class T>
std::optional<T> unsigned_number(std::string_view token) {
  if (token.starts_with('+')) token.remove_prefix(1);
  const auto value = digits_value(token);
  if (!value || *value > std::numeric_limits<T>::max()) return std::nullopt;
  return T(*value);
}

// An optional "+" or "-" and decimal digits, within T.
template <class T>
std::optional<T> signed_number(std::string_view token) {
  const bool negative = token.starts_with('-');
  if (negative || token.starts_with('+')) token.remove_prefix(1);
  const auto magnitude = digits_value(token);
  const auto limit = std::uint64_t(std::numeric_limits<T>::max()) + (negative ? 1 : 0);
  if (!magnitude || *magnitude > limit) return std::nullopt;
  using U = std::make_unsigned_t<T>;
  return negative ? T(U(0) - U(*magnitude)) : T(*magnitude);
}

// ---- Info lines ----

// Moves of a list run until one of these.
constexpr std::array<std::string_view, 22> kListEnds{
    "pv",         "cp",         "time",       "mate",     "depth",    "nodes",
    "score",      "multipv",    "cpuload",    "seldepth", "currmove", "lowerbound",
    "upperbound", "refutation", "wdl",        "nps",      "currmovenumber",
    "hashfull",   "tbhits",     "sbhits",     "currline", "string"};

std::size_t list_end(const Tokens& t, std::size_t from) {
  while (from < t.size() && std::ranges::find(kListEnds, t[from]) == kListEnds.end()) ++from;
  return from;
}

// A step reads the key at `at` and what follows it, and returns where the walk goes on.
using Step = std::size_t (*)(Info&, const Tokens&, std::size_t at);

std::size_t unusable(Info& info, const Tokens& t, std::size_t at) {
  info.unknown.emplace_back(t[at]);
  return at + 1;
}

template <auto Field>
bool set_u32(Info& info, std::uint64_t value) {
  if (value > std::numeric_limits<std::uint32_t>::max()) return false;  // never wrapped
  info.*Field = std::uint32_t(value);
  return true;
}

template <auto Field>
bool set_u64(Info& info, std::uint64_t value) {
  info.*Field = value;
  return true;
}

bool set_time(Info& info, std::uint64_t ms) {
  info.time = Duration::from_millis(ms);
  return true;
}

template <auto Set>
std::size_t numeric(Info& info, const Tokens& t, std::size_t at) {
  if (at + 1 < t.size())
    if (const auto value = unsigned_number<std::uint64_t>(t[at + 1]); value && Set(info, *value))
      return at + 2;
  return unusable(info, t, at);
}

constexpr std::array<Row<ScoreUnit>, 2> kScoreUnits{{
    {"cp", ScoreUnit::Cp}, {"mate", ScoreUnit::Mate}}};

// One sub-key of a score at `i`: where it ends, or none when it does not fit.
std::optional<std::size_t> score_part(Info& info, const Tokens& t, std::size_t i) {
  if (const auto bound = from_name<Bound>(t[i])) {
    info.bound = *bound;
    return i + 1;
  }
  const ScoreUnit* unit = find_row(kScoreUnits, t[i]);
  if (!unit || i + 1 >= t.size()) return std::nullopt;
  const auto value = signed_number<std::int32_t>(t[i + 1]);
  if (!value) return std::nullopt;
  info.score = Score{*unit, *value};
  return i + 2;
}

std::size_t read_score(Info& info, const Tokens& t, std::size_t at) {
  std::size_t i = at + 1;
  while (i < t.size())
    if (const auto next = score_part(info, t, i)) i = *next;
    else break;
  return i > at + 1 ? i : unusable(info, t, at);
}

std::size_t read_wdl(Info& info, const Tokens& t, std::size_t at) {
  std::array<std::uint32_t, 3> values{};
  for (std::size_t n = 0; n < values.size(); ++n) {
    const auto value = at + 1 + n < t.size() ? unsigned_number<std::uint32_t>(t[at + 1 + n])
                                             : std::nullopt;
    if (!value) return unusable(info, t, at);
    values[n] = *value;
  }
  info.wdl = Wdl{values[0], values[1], values[2]};
  return at + 4;
}

template <auto Field>
std::size_t move_list(Info& info, const Tokens& t, std::size_t at) {
  const std::size_t end = list_end(t, at + 1);
  if (end == at + 1) return unusable(info, t, at);
  info.*Field = t.texts(at + 1, end);
  return end;
}

std::size_t read_currline(Info& info, const Tokens& t, std::size_t at) {
  CurrLine line;
  std::size_t from = at + 1;
  if (from < t.size())
    if ((line.cpu = unsigned_number<std::uint32_t>(t[from]))) ++from;
  const std::size_t end = list_end(t, from);
  line.moves = t.texts(from, end);
  info.currline = std::move(line);
  return end;
}

std::size_t read_currmove(Info& info, const Tokens& t, std::size_t at) {
  if (at + 1 >= t.size()) return unusable(info, t, at);
  info.currmove = std::string(t[at + 1]);
  return at + 2;
}

// Takes the rest of the line; nothing after it is a key.
std::size_t read_string(Info& info, const Tokens& t, std::size_t at) {
  info.string = at + 1 < t.size() ? t.rest(at + 1) : std::string();
  return t.size();
}

constexpr std::array<Row<Step>, 18> kInfoKeys{{
    {"depth", numeric<set_u32<&Info::depth>>},
    {"seldepth", numeric<set_u32<&Info::seldepth>>},
    {"time", numeric<set_time>},
    {"nodes", numeric<set_u64<&Info::nodes>>},
    {"multipv", numeric<set_u32<&Info::multipv>>},
    {"nps", numeric<set_u64<&Info::nps>>},
    {"hashfull", numeric<set_u32<&Info::hashfull>>},
    {"tbhits", numeric<set_u64<&Info::tbhits>>},
    {"sbhits", numeric<set_u64<&Info::sbhits>>},
    {"cpuload", numeric<set_u32<&Info::cpuload>>},
    {"currmovenumber", numeric<set_u32<&Info::currmovenumber>>},
    {"score", read_score},
    {"wdl", read_wdl},
    {"pv", move_list<&Info::pv>},
    {"refutation", move_list<&Info::refutation>},
    {"currline", read_currline},
    {"currmove", read_currmove},
    {"string", read_string},
}};

// ---- Message kinds ----

using Reader = std::optional<Message> (*)(const Tokens&, std::size_t keyword);

std::optional<Message> info_line(const Tokens& t, std::size_t k) {
  auto info = std::make_unique<Info>();
  std::size_t at = k + 1;
  while (at < t.size()) {
    const Step* step = find_row(kInfoKeys, t[at]);
    at = (step ? *step : unusable)(*info, t, at);
  }
  return Message{std::move(info)};
}

std::optional<Message> id_line(const Tokens& t, std::size_t k) {
  if (k + 2 >= t.size()) return std::nullopt;
  return Message{Id{std::string(t[k + 1]), t.rest(k + 2)}};
}

// The engine's ways of saying it has no move.
constexpr std::array<std::string_view, 4> kNoMove{"(none)", "0000", "none", "null"};

std::optional<std::string> move_text(std::string_view token) {
  if (std::ranges::find(kNoMove, token) != kNoMove.end()) return std::nullopt;
  return std::string(token);
}

std::optional<Message> bestmove_line(const Tokens& t, std::size_t k) {
  const std::size_t after = t.size() - k - 1;
  if (after == 0) return std::nullopt;
  if (after == 1) return Message{BestMove{move_text(t[k + 1]), std::nullopt}};
  if (after < 3 || t[k + 2] != "ponder") return std::nullopt;
  return Message{BestMove{move_text(t[k + 1]), move_text(t[k + 3])}};
}

std::optional<Message> uciok_line(const Tokens&, std::size_t) { return Message{UciOk{}}; }
std::optional<Message> readyok_line(const Tokens&, std::size_t) { return Message{ReadyOk{}}; }

// ---- Option lines ----

// The words after the type word, grouped under "default", "min", "max" and "var".
class Fields {
 public:
  Fields(const Tokens& t, std::size_t from) {
    for (std::size_t i = from; i < t.size(); ++i) {
      if (std::ranges::find(kFieldWords, t[i]) != kFieldWords.end()) {
        fields_.push_back({t[i], std::string()});
      } else if (!fields_.empty()) {
        std::string& value = fields_.back().second;
        if (!value.empty()) value += ' ';
        value += t[i];
      }
    }
  }

  // The first field of that word.
  const std::string* first(std::string_view word) const {
    const auto it = std::ranges::find(fields_, word, &Field::first);
    return it == fields_.end() ? nullptr : &it->second;
  }
  std::optional<std::string> text(std::string_view word) const {
    const std::string* value = first(word);
    return value ? std::optional<std::string>(*value) : std::nullopt;
  }
  std::optional<std::int64_t> number(std::string_view word) const {
    const std::string* value = first(word);
    return value ? protocol::number(*value) : std::nullopt;
  }
  std::vector<std::string> all(std::string_view word) const {
    std::vector<std::string> out;
    for (const auto& [w, value] : fields_)
      if (w == word) out.push_back(value);
    return out;
  }

 private:
  static constexpr std::array<std::string_view, 4> kFieldWords{"default", "min", "max", "var"};
  using Field = std::pair<std::string_view, std::string>;
  std::vector<Field> fields_;
};

OptionKind check_kind(const Fields& f) {
  const auto text = f.text("default");
  std::optional<bool> value;
  if (text == "true" || text == "false") value = text == "true";
  return option::Check{value};
}

OptionKind spin_kind(const Fields& f) {
  return option::Spin{f.number("default"), f.number("min"), f.number("max")};
}

OptionKind combo_kind(const Fields& f) { return option::Combo{f.text("default"), f.all("var")}; }

OptionKind button_kind(const Fields&) { return option::Button{}; }

OptionKind string_kind(const Fields& f) {
  auto text = f.text("default");
  if (text == "<empty>") text = std::string();
  return option::String{std::move(text)};
}

using KindReader = OptionKind (*)(const Fields&);
constexpr std::array<Row<KindReader>, 5> kOptionTypes{{
    {"check", check_kind},
    {"spin", spin_kind},
    {"combo", combo_kind},
    {"button", button_kind},
    {"string", string_kind},
}};

std::optional<Message> option_line(const Tokens& t, std::size_t k) {
  if (k + 1 >= t.size() || t[k + 1] != "name") return std::nullopt;
  std::size_t type_at = k + 2;
  while (type_at < t.size() && t[type_at] != "type") ++type_at;
  if (type_at == k + 2 || type_at + 1 >= t.size()) return std::nullopt;  // no name, or no type
  const KindReader* kind = find_row(kOptionTypes, t[type_at + 1]);
  if (!kind) return std::nullopt;
  return Message{OptionSpec{t.joined(k + 2, type_at), (*kind)(Fields(t, type_at + 2))}};
}

constexpr std::array<Row<Reader>, 6> kKeywords{{
    {"id", id_line},
    {"uciok", uciok_line},
    {"readyok", readyok_line},
    {"option", option_line},
    {"info", info_line},
    {"bestmove", bestmove_line},
}};

}  // namespace


std::optional<std::int64_t> number(std::string_view token) { return signed_number<std::int64_t>(token); }

Message parse(std::string_view line) {
  const Tokens tokens(line);
  for (std::size_t k = 0; k < tokens.size(); ++k) {
    const Reader* read = find_row(kKeywords, tokens[k]);
    if (!read) continue;
    if (auto message = (*read)(tokens, k)) return std::move(*message);
    break;
  }
  return Message{Raw{std::string(line)}};
}

}  // namespace vorn::uci::protocol
