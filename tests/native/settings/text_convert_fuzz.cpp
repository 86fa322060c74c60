// libFuzzer target for the stored-text conversions: any bytes a user or
// another program may leave in the registry. Besides what ASan and UBSan
// catch, a number read must be finite and must survive being written back.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "settings/text_convert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size heap copy, so a read past the end is caught.
  std::unique_ptr<char[]> bytes(new char[size ? size : 1]);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(data[i]);
  const std::string_view text(bytes.get(), size);

  const double value = vt::LeadingNumber(text);
  if (!std::isfinite(value)) std::abort();
  if (vt::LeadingNumber(vt::WholeNumberText(value)) != std::round(value)) std::abort();

  // Whatever the fallback, a text that is a Boolean gives the same answer.
  const bool a = vt::TextToBoolean(text, false);
  const bool b = vt::TextToBoolean(text, true);
  if (a && !b) std::abort();  // only the fallback may differ: (false, true)
  return 0;
}
