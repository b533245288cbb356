// Positions and sizes on the on-screen display, in the receiver's pixels. The display is
// 720 by 576 pixels; widgets are placed on it by their top-left corner, and text is laid out
// in cells of one character by one row.
#pragma once

struct ePoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const ePoint&, const ePoint&) = default;
};

struct eSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const eSize&, const eSize&) = default;
};

// The receiver's on-screen display.
inline constexpr eSize kDisplaySize{720, 576};
// One character of the display's font, and one row of text, in pixels.
inline constexpr int kCharacterWidth = 8;
inline constexpr int kRowHeight = 20;
