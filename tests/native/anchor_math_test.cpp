// Control anchoring: edge rules against the main window's registrations.
#include "core/AnchorMath.h"

#include <gtest/gtest.h>

namespace {
AnchorRect R(int l, int t, int r, int b)
{
    AnchorRect rc;
    rc.left = l; rc.top = t; rc.right = r; rc.bottom = b;
    return rc;
}

void ExpectRect(const AnchorRect& got, int l, int t, int r, int b)
{
    EXPECT_EQ(got.left, l);
    EXPECT_EQ(got.top, t);
    EXPECT_EQ(got.right, r);
    EXPECT_EQ(got.bottom, b);
}

constexpr int W = 480, H = 510;
constexpr AnchorRule N = AnchorRule::Near, F = AnchorRule::Far, C = AnchorRule::Center,
                     P = AnchorRule::Proportional;
}  // namespace

TEST(AnchorMath, MainWindowGrowsBy100x50)
{
    // Text view N F N F: grows in both directions.
    ExpectRect(ApplyAnchor(R(25, 80, 457, 333), N, F, N, F, W, H, W + 100, H + 50), 25, 80, 557, 383);
    // Save N N F F: moves down.
    ExpectRect(ApplyAnchor(R(50, 401, 140, 424), N, N, F, F, W, H, W + 100, H + 50), 50, 451, 140, 474);
    // Start C C F F: right by half the growth, down by all of it.
    ExpectRect(ApplyAnchor(R(186, 460, 291, 492), C, C, F, F, W, H, W + 100, H + 50), 236, 510, 341, 542);
    // Exit F F F F: follows the bottom-right corner.
    ExpectRect(ApplyAnchor(R(410, 457, 452, 499), F, F, F, F, W, H, W + 100, H + 50), 510, 507, 552, 549);
    // "COM Port:" label C C N N: right by half, stays at the top.
    ExpectRect(ApplyAnchor(R(75, 21, 152, 40), C, C, N, N, W, H, W + 100, H + 50), 125, 21, 202, 40);
    // Output group N F F F: wider, moves down.
    ExpectRect(ApplyAnchor(R(25, 348, 457, 436), N, F, F, F, W, H, W + 100, H + 50), 25, 398, 557, 486);
}

TEST(AnchorMath, CentredControlsMoveByHalfTruncatedTowardZero)
{
    ExpectRect(ApplyAnchor(R(75, 21, 152, 40), C, C, C, C, W, H, W + 101, H + 3), 125, 22, 202, 41);
    ExpectRect(ApplyAnchor(R(75, 21, 152, 40), C, C, C, C, W, H, W - 101, H - 3), 25, 20, 102, 39);
}

TEST(AnchorMath, BackToInitialSizeRestoresTemplateRect)
{
    const AnchorRect rc = R(33, 247, 93, 261);
    for (AnchorRule l : {N, F, C, P})
        for (AnchorRule r : {N, F, C, P})
            ExpectRect(ApplyAnchor(rc, l, r, r, l, W, H, W, H), 33, 247, 93, 261);
}

TEST(AnchorMath, ProportionalAndMixedRules)
{
    // 200 -> 300 wide: both edges scale by 1.5.
    AnchorRect got = ApplyAnchor(R(10, 10, 30, 20), P, P, N, N, 200, 100, 300, 100);
    EXPECT_EQ(got.left, 15);
    EXPECT_EQ(got.right, 45);
    // Scaled products truncate toward zero: 7 × 1.5 = 10.5 -> 10.
    got = ApplyAnchor(R(7, 7, 33, 33), P, P, P, P, 200, 200, 300, 300);
    ExpectRect(got, 10, 10, 49, 49);
    // A centred edge next to a scaled one keeps the control's size.
    got = ApplyAnchor(R(10, 10, 30, 20), C, P, C, P, 200, 100, 300, 150);
    ExpectRect(got, 25, 20, 45, 30);
    // A centre edge beside a near edge stays; a centred far edge keeps the size.
    got = ApplyAnchor(R(10, 10, 30, 20), C, N, F, C, 200, 100, 300, 150);
    ExpectRect(got, 10, 60, 30, 70);
}

TEST(AnchorMath, ZeroInitialSizeDoesNotScale)
{
    const AnchorRect got = ApplyAnchor(R(10, 10, 30, 20), P, P, P, P, 0, 0, 300, 150);
    ExpectRect(got, 10, 10, 30, 20);
}
