#include "closelist/store.h"

#include <algorithm>
#include <string>

#include "settings/full_registry.h"
#include "settings/keys.h"
#include "settings/text_convert.h"
#include "windows/list_box_items.h"

namespace vt {

const std::array<const char*, 11> kDefaultPatterns = {
    "\xA0 - Microsoft Internet Explorer",  // no-break space, ANSI 0xA0
    "- - Microsoft Internet Explorer",
    "-- - Microsoft Internet Explorer",
    "*XCam2* - Microsoft Internet Explorer",
    "Ad - Microsoft Internet Explorer",
    "*Advertisement* - Microsoft Internet Explorer",
    "\\\\\\ Amazing Wireless Camera //// - Microsoft Internet Explorer",
    "Alert! Very Important Message - Microsoft Internet Explorer",
    "Award Confirmation! - Microsoft Internet Explorer",
    "http://ads.prize-parade.example/*",
    "Message Alert - Microsoft Internet Explorer",
};

namespace {

// A damaged "Count" (say "1e9") must not keep the start-up busy reading
// values that were never written: no more entries load than the List key
// holds values, or this many, whichever is larger. Every count a saved list
// reaches still loads as stored, blank entries included.
constexpr int kMinLoadCap = 1000;

std::string ValueName(long long i) {
  return "List" + std::to_string(i);
}

}  // namespace

void WriteDefaultList() {
  const std::string key = ListKey();
  if (RegistryRead(HKEY_CURRENT_USER, key, "Count", "0") != "0") return;
  // Registry failures are silent: the start goes on with whatever loads.
  (void)RegistryWrite(HKEY_CURRENT_USER, key, "Count",
                      WholeNumberText(static_cast<double>(kDefaultPatterns.size())));
  for (size_t i = 0; i < kDefaultPatterns.size(); ++i) {
    (void)RegistryWrite(HKEY_CURRENT_USER, key, ValueName(static_cast<long long>(i) + 1),
                        kDefaultPatterns[i]);
  }
}

void LoadList(HWND list1) {
  const std::string key = ListKey();
  // "2.5" loads List1 and List2: the loop runs while i <= Count.
  double count = LeadingNumber(RegistryRead(HKEY_CURRENT_USER, key, "Count", ""));
  const int cap = std::max(RegistryValueCount(HKEY_CURRENT_USER, key), kMinLoadCap);
  if (count > cap) count = cap;
  for (long long i = 1; static_cast<double>(i) <= count; ++i) {
    const std::string text = RegistryRead(HKEY_CURRENT_USER, key, ValueName(i), "");
    SendMessageA(list1, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
}

// Values "List"+k above the new count are left in place: loading stops at
// "Count", so they are never read, and the next longer save overwrites them.
// Nor is the old request to delete a value "List" under the product key made:
// the program never writes such a value, so it could only ever fail.
void SaveList(HWND list1) {
  const std::string key = ListKey();
  const int count = ListCount(list1);
  if (count < 0) return;  // LB_ERR: keep the stored list
  (void)RegistryWrite(HKEY_CURRENT_USER, key, "Count", WholeNumberText(count));
  for (int i = 0; i < count; ++i) {
    (void)RegistryWrite(HKEY_CURRENT_USER, key, ValueName(i + 1), ListText(list1, i));
  }
}

}  // namespace vt
