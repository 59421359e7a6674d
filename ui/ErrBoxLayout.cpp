// SPDX-License-Identifier: GPL-3.0-or-later
// The error box's widening rule.
#include "ui/ErrBoxLayout.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kTwipsPerInch = 1440.0;
}

ErrBoxWidening errBoxWidening(int label1Width, int label2Width, int cmdSendWidth,
                              int cmdCloseWidth) {
    ErrBoxWidening layout;
    const int needed = std::max(label1Width, label2Width) + ErrBoxDesign::LabelRightMargin +
                       ErrBoxDesign::LabelLeft;
    if (needed <= ErrBoxDesign::Width) return layout;
    layout.widened = true;
    layout.width = needed;
    layout.text1Width = needed - ErrBoxDesign::Text1Inset;
    layout.cmdSendLeft = (needed - cmdSendWidth - cmdCloseWidth - ErrBoxDesign::ButtonGap) / 2;
    layout.cmdCloseLeft = layout.cmdSendLeft + cmdSendWidth + ErrBoxDesign::ButtonGap;
    return layout;
}

int twipsToPixels(int twips, double dpi) {
    return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

int pixelsToTwips(int pixels, double dpi) {
    if (dpi <= 0) return 0;
    return static_cast<int>(std::lround(pixels * kTwipsPerInch / dpi));
}
