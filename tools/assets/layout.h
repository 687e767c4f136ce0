// Screen places that the pictures leave for the scripts' texts and buttons. The demo's
// scripts in content/data write their drawtext and buttonset commands at these places;
// the pictures draw the white panels and row markers under them.
#pragma once

namespace layout {

// Story pictures: a white caption panel under the illustration, five lines of text at
// x = kCaptionTextX, y = kCaptionLine0 + kCaptionLineStep x line (line 0..4).
constexpr int kCaptionX = 24, kCaptionY = 424, kCaptionW = 752, kCaptionH = 164;
constexpr int kCaptionTextX = 44, kCaptionLine0 = 440, kCaptionLineStep = 26;

// Menu and armory: button labels at x = kMenuX, y = kMenuY + kMenuStep x row.
constexpr int kMenuX = 300, kMenuY = 220, kMenuStep = 48;
constexpr int kMenuRows = 4, kArmoryRows = 7;

// Title: the "click to start" line.
constexpr int kTitlePromptX = 84, kTitlePromptY = 530;

}  // namespace layout
