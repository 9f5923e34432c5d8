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
}  // namespace

TEST(AnchorMath, MainWindowGrowsBy100x50)
{
    // Text view 1,2,1,2: grows in both directions.
    ExpectRect(ApplyAnchor(R(25, 80, 457, 333), 1, 2, 1, 2, W, H, W + 100, H + 50), 25, 80, 557, 383);
    // Save 1,1,2,2: moves down.
    ExpectRect(ApplyAnchor(R(50, 401, 140, 424), 1, 1, 2, 2, W, H, W + 100, H + 50), 50, 451, 140, 474);
    // Start 4,4,2,2: right by half the growth, down by all of it.
    ExpectRect(ApplyAnchor(R(186, 460, 291, 492), 4, 4, 2, 2, W, H, W + 100, H + 50), 236, 510, 341, 542);
    // Exit 2,2,2,2: follows the bottom-right corner.
    ExpectRect(ApplyAnchor(R(410, 457, 452, 499), 2, 2, 2, 2, W, H, W + 100, H + 50), 510, 507, 552, 549);
    // "COM Port:" label 4,4,1,1: right by half, stays at the top.
    ExpectRect(ApplyAnchor(R(75, 21, 152, 40), 4, 4, 1, 1, W, H, W + 100, H + 50), 125, 21, 202, 40);
    // Output group 1,2,2,2: wider, moves down.
    ExpectRect(ApplyAnchor(R(25, 348, 457, 436), 1, 2, 2, 2, W, H, W + 100, H + 50), 25, 398, 557, 486);
}

TEST(AnchorMath, CentredControlsMoveByHalfTruncatedTowardZero)
{
    ExpectRect(ApplyAnchor(R(75, 21, 152, 40), 4, 4, 4, 4, W, H, W + 101, H + 3), 125, 22, 202, 41);
    ExpectRect(ApplyAnchor(R(75, 21, 152, 40), 4, 4, 4, 4, W, H, W - 101, H - 3), 25, 20, 102, 39);
}

TEST(AnchorMath, BackToInitialSizeRestoresTemplateRect)
{
    const AnchorRect rc = R(33, 247, 93, 261);
    for (int l : {1, 2, 4, 8, 0, 99})
        for (int r : {1, 2, 4, 8})
            ExpectRect(ApplyAnchor(rc, l, r, r, l, W, H, W, H), 33, 247, 93, 261);
}

TEST(AnchorMath, ProportionalAndMixedRules)
{
    // 200 -> 300 wide: both edges scale by 1.5.
    AnchorRect got = ApplyAnchor(R(10, 10, 30, 20), 8, 8, 1, 1, 200, 100, 300, 100);
    EXPECT_EQ(got.left, 15);
    EXPECT_EQ(got.right, 45);
    // Scaled products truncate toward zero: 7 × 1.5 = 10.5 -> 10.
    got = ApplyAnchor(R(7, 7, 33, 33), 8, 8, 8, 8, 200, 200, 300, 300);
    ExpectRect(got, 10, 10, 49, 49);
    // A centred edge next to a scaled one keeps the control's size.
    got = ApplyAnchor(R(10, 10, 30, 20), 4, 8, 4, 8, 200, 100, 300, 150);
    ExpectRect(got, 25, 20, 45, 30);
    // A centre edge beside a near edge stays; a centred far edge keeps the size.
    got = ApplyAnchor(R(10, 10, 30, 20), 4, 1, 2, 4, 200, 100, 300, 150);
    ExpectRect(got, 10, 60, 30, 70);
    // Unknown rules behave like near.
    got = ApplyAnchor(R(10, 10, 30, 20), 0, 3, 16, -1, 200, 100, 300, 150);
    ExpectRect(got, 10, 10, 30, 20);
}

TEST(AnchorMath, ZeroInitialSizeDoesNotScale)
{
    const AnchorRect got = ApplyAnchor(R(10, 10, 30, 20), 8, 8, 8, 8, 0, 0, 300, 150);
    ExpectRect(got, 10, 10, 30, 20);
}
