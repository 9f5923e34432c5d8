// Edge rules of the control anchoring.
#include "core/AnchorMath.h"

#include <climits>
#include <cstdint>

namespace {
int Scaled(int value, double factor)
{
    const double v = static_cast<double>(value) * factor;
    // Truncates toward zero; a result outside int would be undefined, so it is capped.
    if (v >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (v <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(v);
}

// A window that had no size when it was registered cannot be scaled from; the edge then
// stays where it was.
double Factor(int newSize, int initialSize)
{
    return initialSize != 0 ? static_cast<double>(newSize) / initialSize : 1.0;
}

int Sum(int64_t value)
{
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

// One axis: the near edge (left or top) and the far edge (right or bottom).
void ApplyAxis(int nearEdge, int farEdge, AnchorRule nearRule, AnchorRule farRule, int delta, double factor,
               int* newNear, int* newFar)
{
    const int64_t size = static_cast<int64_t>(farEdge) - nearEdge;

    if (nearRule == AnchorRule::Far)
        *newNear = Sum(static_cast<int64_t>(nearEdge) + delta);
    else if (nearRule == AnchorRule::Center && farRule == AnchorRule::Center)
        *newNear = Sum(static_cast<int64_t>(nearEdge) + delta / 2);
    else if (nearRule == AnchorRule::Proportional)
        *newNear = Scaled(nearEdge, factor);
    else
        *newNear = nearEdge;

    if (farRule == AnchorRule::Far)
        *newFar = Sum(static_cast<int64_t>(farEdge) + delta);
    else if (farRule == AnchorRule::Center)
        *newFar = Sum(*newNear + size);
    else if (farRule == AnchorRule::Proportional)
        *newFar = Scaled(farEdge, factor);
    else
        *newFar = farEdge;

    // A centred near edge next to a scaled far edge keeps the control's size.
    if (farRule == AnchorRule::Proportional && nearRule == AnchorRule::Center)
        *newNear = Sum(*newFar - size);
}
}  // namespace

AnchorRect ApplyAnchor(const AnchorRect& initial, AnchorRule leftRule, AnchorRule rightRule, AnchorRule topRule,
                       AnchorRule bottomRule, int initialW, int initialH, int newW, int newH)
{
    const int dW = Sum(static_cast<int64_t>(newW) - initialW);
    const int dH = Sum(static_cast<int64_t>(newH) - initialH);
    AnchorRect r;
    ApplyAxis(initial.left, initial.right, leftRule, rightRule, dW, Factor(newW, initialW),
              &r.left, &r.right);
    ApplyAxis(initial.top, initial.bottom, topRule, bottomRule, dH, Factor(newH, initialH),
              &r.top, &r.bottom);
    return r;
}
