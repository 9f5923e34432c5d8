// Where a control goes when its window is resized: each edge follows its own rule,
// always computed from the control's rectangle and the window size at registration.
#pragma once

enum AnchorRule {
    ANCHOR_NEAR = 1,          // keeps its distance from the left / top edge
    ANCHOR_FAR = 2,           // keeps its distance from the right / bottom edge
    ANCHOR_CENTER = 4,        // stays centred, or keeps the size next to a moving edge
    ANCHOR_PROPORTIONAL = 8,  // scales with the window
};

struct AnchorRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Any rule value other than the four above behaves like ANCHOR_NEAR.
AnchorRect ApplyAnchor(const AnchorRect& initial, int leftRule, int rightRule, int topRule,
                       int bottomRule, int initialW, int initialH, int newW, int newH);
