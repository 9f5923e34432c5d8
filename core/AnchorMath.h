// Where a control goes when its window is resized: each edge follows its own rule,
// always computed from the control's rectangle and the window size at registration.
#pragma once

enum class AnchorRule {
    Near,          // keeps its distance from the left / top edge
    Far,           // keeps its distance from the right / bottom edge
    Center,        // stays centred, or keeps the size next to a moving edge
    Proportional,  // scales with the window
};

struct AnchorRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

AnchorRect ApplyAnchor(const AnchorRect& initial, AnchorRule leftRule, AnchorRule rightRule, AnchorRule topRule,
                       AnchorRule bottomRule, int initialW, int initialH, int newW, int newH);
