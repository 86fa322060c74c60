// Where a form reopens: the stored Top and Left, pulled back to the centre in
// each direction that lies off the screen. Pure code; all values in twips.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vt {

struct FormPlacement {
  double top = 0;
  double left = 0;
  bool corrected = false;  // the caller writes the result back when set
};

// A stored value counts only when the whole text is a number; anything else
// (empty, "abc", "12px") gives nothing and the centred position is used.
std::optional<double> ParseStoredPosition(std::string_view text);

// storedTop/storedLeft are the texts read from the registry (missing values
// arrive as the centred defaults, as text). The margin is 100 twips.
FormPlacement CorrectFormPosition(std::string_view storedTop, std::string_view storedLeft,
                                  double width, double height, double screenWidth,
                                  double screenHeight);

// Twips as the decimal text the program stores.
std::string PositionText(double twips);

}  // namespace vt
