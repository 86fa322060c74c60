// The progress bar without a window: its state, the checks of its setters,
// and the drawing as a list of picture copies that the window side executes.
#pragma once

#include <vector>

namespace vt::progress {

// The control's state, with its initial values.
struct State {
  long m_Min = 0;
  long m_Max = 100;
  long m_Value = 100;
  long m_Style = 0;  // 0 blocks, 1 auto-run, 2 smooth
  long m_ProgressLook = 0;
  bool m_AutoRun = false;
  short m_Step = 1;  // 1 moving right, -1 moving left
  long m_Position = 4;
  short m_Interval = 100;  // milliseconds between auto-run ticks
};

inline constexpr long kStyleBlocks = 0;
inline constexpr long kStyleAutoRun = 1;
inline constexpr long kStyleSmooth = 2;
inline constexpr long kLookCount = 8;
inline constexpr int kBankSize = 40;  // five pieces for each look
inline constexpr int kWorkingPieces = 5;

// Messages of the setters; shown with the title below, OK and the critical icon.
inline constexpr char kErrorTitle[] = "Error";
inline constexpr char kMinAboveMax[] = "Minimum can NOT be biger than maximum !";
inline constexpr char kMinBelowZero[] = "Minimum can NOT be smaller then 0 !";
inline constexpr char kMaxBelowMin[] = "Maximum can NOT be smaller than minimum !";

// The value a Value let stores: above m_Max becomes m_Max, then below m_Min m_Min.
long ClampValue(const State& s, long v);
// nullptr when Min = v may be stored, else the message to show.
const char* CheckMin(const State& s, long v);
// nullptr when Max = v may be stored, else the message to show.
const char* CheckMax(const State& s, long v);
// Whether Timer1 runs: exactly while the style is auto-run and AutoRun is on.
bool TimerRuns(const State& s);
// The bank entries (0 to 39) that look L copies into the working set, in order.
struct LookEntries {
  int entry[kWorkingPieces];
};
LookEntries BankEntriesOfLook(long look);

// Pictures a copy reads from: the trough, the empty interior, and the five
// pieces of the current look (2 the block, 3 and 4 the auto-run tails).
enum class Picture { kImg, kBlank, kPiece0, kPiece1, kPiece2, kPiece3, kPiece4 };

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// Copy the src part of a picture, stretched to dst; none is ever empty.
struct Copy {
  Picture picture;
  Rect dst;
  Rect src;
  friend bool operator==(const Copy&, const Copy&) = default;
};
using Copies = std::vector<Copy>;

struct Size {
  int w = 0, h = 0;
};

// Sizes of the pictures in use.
struct Pictures {
  Size img{59, 13};
  Size blank{51, 7};
  Size piece[kWorkingPieces] = {{16, 10}, {16, 10}, {8, 10}, {8, 10}, {8, 10}};
};

// What a resize measures.
struct Metrics {
  int W = 0;  // inner width of the surface
  int H = 0;  // inner height
  int BarHeight = 0;
  int PieceWidth = 0;
  int PieceHeight = 0;
};

// Width of the auto-run tail pieces as drawn.
inline constexpr int kTailWidth = 30;

// Lays the control out for a width x height surface: measures, puts the
// auto-run group back at the left end, and returns the nine-part trough.
Copies Layout(State& s, Metrics& m, const Pictures& p, int width, int height);

// Draws the fill after a Value or Style change (styles 0 and 2: blocks or the
// smooth bar, then the erase of the rest; style 1: the trough again when Value
// equals Max, else one auto-run frame).
Copies Fill(State& s, Metrics& m, const Pictures& p);

// One tick of Timer1: moves the group 5 pixels and draws a frame, or lays the
// trough out again while Value is above Max.
Copies Tick(State& s, Metrics& m, const Pictures& p);

// One auto-run frame at the current position, then the turn at either end.
Copies Frame(State& s, const Metrics& m, const Pictures& p);

}  // namespace vt::progress
