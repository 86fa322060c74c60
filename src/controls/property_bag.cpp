#include "controls/property_bag.h"

#include <charconv>
#include <utility>

namespace vt {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

}  // namespace

TextPropertyBag::TextPropertyBag(std::string_view text) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view name = Trim(line.substr(0, eq));
    if (!name.empty()) values_[std::string(name)] = std::string(Trim(line.substr(eq + 1)));
  }
}

long TextPropertyBag::ReadLong(const char* name, long defaultValue) {
  const auto it = values_.find(name);
  if (it == values_.end()) return defaultValue;
  std::string_view v = it->second;
  if (!v.empty() && v.front() == '+') v.remove_prefix(1);
  long out = 0;
  const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), out);
  return ec == std::errc() && end == v.data() + v.size() && !v.empty() ? out : defaultValue;
}

bool TextPropertyBag::ReadBool(const char* name, bool defaultValue) {
  const auto it = values_.find(name);
  if (it == values_.end()) return defaultValue;
  if (it->second == "True") return true;
  if (it->second == "False") return false;
  return defaultValue;
}

void TextPropertyBag::WriteLong(const char* name, long value, long defaultValue) {
  if (value == defaultValue) {
    values_.erase(name);
  } else {
    values_[name] = std::to_string(value);
  }
}

void TextPropertyBag::WriteBool(const char* name, bool value, bool defaultValue) {
  if (value == defaultValue) {
    values_.erase(name);
  } else {
    values_[name] = value ? "True" : "False";
  }
}

void TextPropertyBag::PropertyChanged(const char* name) {
  if (!changed_.empty()) changed_ += ',';
  changed_ += name;
}

std::string TextPropertyBag::Text() const {
  std::string out;
  for (const auto& [name, value] : values_) out += name + "=" + value + "\r\n";
  return out;
}

std::string TextPropertyBag::TakeChanged() {
  return std::exchange(changed_, {});
}

}  // namespace vt
