// Checked arithmetic and the continue-on-failure statement.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>

#include "platform/runtime/checked_math.h"

using namespace platform;

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

template <typename Fn>
auto Outcome(Fn fn) -> std::optional<decltype(fn())> {
    try {
        return fn();
    } catch (const Failure&) {
        return std::nullopt;
    }
}

TEST(CheckedArithmetic, OverflowIsAFailureNotAWrap) {
    struct Case { std::int32_t a, b; std::optional<std::int32_t> sum, difference; };
    const Case cases[] = {
        {kMax - 48, 48, kMax, kMax - 96},
        {kMax - 47, 48, std::nullopt, kMax - 95},
        {kMin, -1, std::nullopt, kMin + 1},
        {kMin, 1, kMin + 1, std::nullopt},
        {0, kMin, kMin, std::nullopt},
        {-1, kMin, std::nullopt, kMax},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Outcome([&] { return CheckedAdd(c.a, c.b); }), c.sum) << c.a << " + " << c.b;
        EXPECT_EQ(Outcome([&] { return CheckedSub(c.a, c.b); }), c.difference) << c.a << " - " << c.b;
    }
}

TEST(CheckedArithmetic, RoundsToNearestWithHalvesToEven) {
    struct Case { double value; std::optional<std::int32_t> rounded; };
    const Case cases[] = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2}, {2.4999, 2}, {-2.5001, -3},
        {147.0, 147}, {1109.5, 1110}, {1110.5, 1110},
        {2147483647.0, kMax}, {2147483647.5, std::nullopt},  // the even neighbour is out of range
        {-2147483648.5, kMin}, {-2147483649.0, std::nullopt},
        {std::nan(""), std::nullopt}, {HUGE_VAL, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Outcome([&] { return RoundToInt32(c.value); }), c.rounded) << c.value;
}

TEST(CheckedArithmetic, FloatingFaultsFail) {
    const double zero = 0.0;
    EXPECT_FALSE(Outcome([&] { return Checked(1.0 / zero); }));
    EXPECT_FALSE(Outcome([&] { return Checked(zero / zero); }));
    EXPECT_FALSE(Outcome([&] { return Checked(std::numeric_limits<double>::max() * 2); }));
    EXPECT_FALSE(Outcome([&] { return ToSingle(1e39); }));  // beyond single range
    EXPECT_EQ(Outcome([&] { return ToSingle(46.5); }), 46.5F);
}

TEST(Attempt, AbandonsTheFailingStatementAndGoesOn) {
    int reached = 0;
    int value = 7;
    Attempt([&] { value = CheckedAdd(kMax, 1); ++reached; });
    Attempt([&] { ++reached; });
    EXPECT_EQ(value, 7);  // the failed assignment never happened
    EXPECT_EQ(reached, 1);
    // Only failures are swallowed: a real bug still surfaces.
    EXPECT_THROW(Attempt([] { throw std::logic_error("bug"); }), std::logic_error);
}

}  // namespace
