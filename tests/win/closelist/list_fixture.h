// A real sorted list box (List1) on a hidden window, and a clean List key.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/full_registry.h"
#include "settings/keys.h"

namespace vt::test {

inline HWND MakeSortedListBox(HWND parent) {
  return CreateWindowExA(0, "LISTBOX", "", WS_CHILD | LBS_SORT | LBS_HASSTRINGS | LBS_NOTIFY, 0, 0,
                         200, 200, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
}

inline std::vector<std::string> Items(HWND list) {
  std::vector<std::string> items;
  const LRESULT n = SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    std::string t(static_cast<size_t>(SendMessageA(list, LB_GETTEXTLEN, i, 0)) + 1, '\0');
    t.resize(
        static_cast<size_t>(SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(t.data()))));
    items.push_back(t);
  }
  return items;
}

inline std::string ListValue(const std::string& name) {
  return RegistryRead(HKEY_CURRENT_USER, ListKey(), name, "<missing>");
}

class CloseListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, ProductKey().c_str());
    parent_ = CreateWindowExA(0, "STATIC", "closelist test", WS_POPUP, 0, 0, 300, 300, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent_, nullptr);
    list1_ = MakeSortedListBox(parent_);
    ASSERT_NE(list1_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(parent_);
    RegDeleteTreeA(HKEY_CURRENT_USER, ProductKey().c_str());
  }

  // A fresh List1, as at the next start.
  HWND Reopened() {
    DestroyWindow(list1_);
    list1_ = MakeSortedListBox(parent_);
    return list1_;
  }

  void Put(const std::string& name, const std::string& text) {
    ASSERT_TRUE(RegistryWrite(HKEY_CURRENT_USER, ListKey(), name, text));
  }

  HWND parent_ = nullptr;
  HWND list1_ = nullptr;
};

}  // namespace vt::test
