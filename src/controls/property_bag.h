// Saved properties of a control: the host keeps them wherever suits it and
// hears about every change.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace vt {

class PropertyBag {
 public:
  virtual ~PropertyBag() = default;
  virtual long ReadLong(const char* name, long defaultValue) = 0;
  virtual bool ReadBool(const char* name, bool defaultValue) = 0;
  // defaultValue: what a reader would assume, so a bag may leave it out.
  virtual void WriteLong(const char* name, long value, long defaultValue) = 0;
  virtual void WriteBool(const char* name, bool value, bool defaultValue) = 0;
  // A property was set through the control's interface.
  virtual void PropertyChanged(const char* name) = 0;
};

// A bag held as text, one "Name=Value" a line (CR LF or LF), for example a
// string in the host's resources. Numbers are decimal, Booleans "True" and
// "False"; a value that does not read as its type gives the default. Writing
// keeps only values that differ from their default.
class TextPropertyBag : public PropertyBag {
 public:
  TextPropertyBag() = default;
  explicit TextPropertyBag(std::string_view text);

  long ReadLong(const char* name, long defaultValue) override;
  bool ReadBool(const char* name, bool defaultValue) override;
  void WriteLong(const char* name, long value, long defaultValue) override;
  void WriteBool(const char* name, bool value, bool defaultValue) override;
  void PropertyChanged(const char* name) override;

  // The values in name order, one "Name=Value" line each, CR LF ended.
  std::string Text() const;
  // Names reported changed since the last call, comma-separated, in order.
  std::string TakeChanged();

 private:
  std::map<std::string, std::string> values_;
  std::string changed_;
};

}  // namespace vt
