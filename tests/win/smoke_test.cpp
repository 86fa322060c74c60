#include <windows.h>
#include <gtest/gtest.h>
TEST(Smoke, Window) {
  HWND h = CreateWindowExA(0, "LISTBOX", "x", WS_OVERLAPPEDWINDOW, 0,0,100,100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(h, nullptr);
  DestroyWindow(h);
}
