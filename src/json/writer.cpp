#include "json/writer.hpp"

#include <charconv>
#include <cmath>
#include <iterator>

#include "text/decimal.hpp"

namespace vorn::json {

namespace {

// Where the digits of a number stop being laid out in full: a float's or a
// double's decimal exponent range outside which the text takes an exponent.
struct Layout {
  int max_point;  // 1234e7 -> 12340000000.0 while the point stays at or below this
  int min_point;  // 1234e-6 -> 0.001234 while the point stays above this
};
constexpr Layout kDoubleLayout{16, -5};
constexpr Layout kFloatLayout{13, -6};

void append_integer(std::string& out, auto value) {
  char buffer[24];
  const char* end = std::to_chars(std::begin(buffer), std::end(buffer), value).ptr;
  out.append(buffer, std::size_t(end - buffer));
}

// 0.digits × 10^point as 12.34, 1230.0, 0.00123, 1e30 or 1.234e-7: a
// fraction whenever there is no exponent, so a float never reads back as an
// integer.
void append_decimal(std::string& out, const Decimal& d, Layout layout) {
  if (d.negative) out += '-';
  const std::string_view digits = d.digits();
  const int size = d.size;
  const int point = d.point;
  if (point >= size && point <= layout.max_point) {
    out += digits;
    out.append(std::size_t(point - size), '0');
    out += ".0";
  } else if (point > 0 && point <= layout.max_point) {
    out += digits.substr(0, std::size_t(point));
    out += '.';
    out += digits.substr(std::size_t(point));
  } else if (point <= 0 && point > layout.min_point) {
    out += "0.";
    out.append(std::size_t(-point), '0');
    out += digits;
  } else {
    out += digits[0];
    if (size > 1) {
      out += '.';
      out += digits.substr(1);
    }
    out += 'e';
    append_integer(out, point - 1);
  }
}

}  // namespace

void Writer::separate() {
  if (after_value_) out_ += ',';
}

void Writer::open(char bracket) {
  separate();
  out_ += bracket;
  after_value_ = false;
}

void Writer::close(char bracket) {
  out_ += bracket;
  after_value_ = true;
}

void Writer::key(std::string_view name) {
  string(name);
  out_ += ':';
  after_value_ = false;
}

void Writer::null() {
  separate();
  out_ += "null";
  after_value_ = true;
}

void Writer::boolean(bool value) {
  separate();
  out_ += value ? "true" : "false";
  after_value_ = true;
}

void Writer::integer(std::int64_t value) {
  separate();
  append_integer(out_, value);
  after_value_ = true;
}

void Writer::integer(std::uint64_t value) {
  separate();
  append_integer(out_, value);
  after_value_ = true;
}

void Writer::number(double value) {
  if (!std::isfinite(value)) return null();
  separate();
  append_decimal(out_, shortest_decimal(value), kDoubleLayout);
  after_value_ = true;
}

void Writer::number(float value) {
  if (!std::isfinite(value)) return null();
  separate();
  append_decimal(out_, shortest_decimal(value == 0 ? 0.0f : value), kFloatLayout);
  after_value_ = true;
}

void Writer::string(std::string_view text) {
  separate();
  static constexpr char kHex[] = "0123456789abcdef";
  out_ += '"';
  std::size_t clean = 0;  // where the run of bytes written as they are began
  for (std::size_t at = 0; at < text.size(); ++at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte >= 0x20 && byte != '"' && byte != '\\') continue;
    out_.append(text.substr(clean, at - clean));
    clean = at + 1;
    switch (byte) {
      case '"': out_ += "\\\""; break;
      case '\\': out_ += "\\\\"; break;
      case '\b': out_ += "\\b"; break;
      case '\f': out_ += "\\f"; break;
      case '\n': out_ += "\\n"; break;
      case '\r': out_ += "\\r"; break;
      case '\t': out_ += "\\t"; break;
      default:
        out_ += "\\u00";
        out_ += kHex[byte >> 4];
        out_ += kHex[byte & 15];
    }
  }
  out_.append(text.substr(clean));
  out_ += '"';
  after_value_ = true;
}

std::optional<double> read_back(float value) {
  if (!std::isfinite(value)) return std::nullopt;
  const Decimal d = shortest_decimal(value == 0 ? 0.0f : value);
  std::string text(d.negative ? "-" : "");
  text += d.digits();
  text += 'e';
  append_integer(text, d.point - d.size);
  double read = 0;
  std::from_chars(text.data(), text.data() + text.size(), read);
  return read;
}

}  // namespace vorn::json
