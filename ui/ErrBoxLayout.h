// SPDX-License-Identifier: GPL-3.0-or-later
// The error box's design geometry and the rule that widens it for long message lines. All
// measures are twips (1440 to the inch, 15 to the pixel at 96 dpi), measured inside the
// window frame: the box's width is its inner width.
#pragma once

struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    constexpr int right() const { return left + width; }
    constexpr int bottom() const { return top + height; }
};

namespace ErrBoxDesign {
inline constexpr int Width = 4395;
// The message lines start right of the picture; the box keeps this much room right of them.
inline constexpr int LabelLeft = 1080;
inline constexpr int LabelRightMargin = 300;
// The description box is this much narrower than the box, split evenly on both sides.
inline constexpr int Text1Inset = 120;
// Between the two buttons.
inline constexpr int ButtonGap = 120;

inline constexpr TwipsRect Picture2{240, 240, 600, 600};
inline constexpr TwipsRect Label1{LabelLeft, 240, Width - LabelLeft - LabelRightMargin, 255};
inline constexpr TwipsRect Label2{LabelLeft, 555, Width - LabelLeft - LabelRightMargin, 255};
inline constexpr TwipsRect Label3{Text1Inset / 2, 1020, Width - Text1Inset, 255};
inline constexpr TwipsRect Text1{Text1Inset / 2, 1320, Width - Text1Inset, 1500};
inline constexpr TwipsRect cmdSend{690, 3000, 1440, 375};
inline constexpr TwipsRect cmdClose{cmdSend.right() + ButtonGap, 3000, 1440, 375};
inline constexpr int Height = 3570;
} // namespace ErrBoxDesign

// Where the widening rule puts the box's width, the description box's width and the buttons.
struct ErrBoxWidening {
    bool widened = false;
    int width = ErrBoxDesign::Width;
    int text1Width = ErrBoxDesign::Text1.width;
    int cmdSendLeft = ErrBoxDesign::cmdSend.left;
    int cmdCloseLeft = ErrBoxDesign::cmdClose.left;
    bool operator==(const ErrBoxWidening &) const = default;
};

// The box needs the wider message line plus the room left and right of it. Only when that is
// more than the design width does the box grow to it, with the description box following and
// the two buttons centred as a pair; otherwise the design layout stays as it is.
ErrBoxWidening errBoxWidening(int label1Width, int label2Width, int cmdSendWidth,
                              int cmdCloseWidth);

// Conversions at a given logical resolution (dots per inch).
int twipsToPixels(int twips, double dpi);
int pixelsToTwips(int pixels, double dpi);
