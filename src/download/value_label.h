// A one-line text label whose text lives in the control itself: setting it
// stores the text and marks the label stale, and the label is repainted when
// its owner next flushes (before it lets window events run). A download sets
// two of them for every 1 KB chunk; a system static would make a round trip
// to the window server for each.
#pragma once

#include <windows.h>

namespace vt {

inline constexpr char kValueLabelClass[] = "VtValueLabel";

bool RegisterValueLabel(HINSTANCE instance);  // idempotent

// Invalidates every stale value label among parent's children.
void FlushValueLabels(HWND parent);

}  // namespace vt
