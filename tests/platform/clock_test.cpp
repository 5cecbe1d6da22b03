#include "platform/clock/clock.h"
#include "platform/clock/crt.h"

#include <gtest/gtest.h>

TEST(Chance, SeedOneSequenceIsFixed)
{
    crt::srand(1);
    EXPECT_EQ(crt::rand(), 41);
    EXPECT_EQ(crt::rand(), 18467);
    EXPECT_EQ(crt::rand(), 6334);
    EXPECT_EQ(crt::rand(), 26500);
    EXPECT_EQ(crt::rand(), 19169);
}

TEST(Chance, GivenSeedRepeatsAndStaysInRange)
{
    crt::srand(12345);
    const int a = crt::rand(), b = crt::rand();
    crt::srand(12345);
    EXPECT_EQ(crt::rand(), a);
    EXPECT_EQ(crt::rand(), b);
    // state = 12345 * 214013 + 2531011 (mod 2^32), result = bits 16..30
    EXPECT_EQ(a, static_cast<int>(((12345u * 214013u + 2531011u) >> 16) & 0x7FFF));
    for (int i = 0; i < 10000; ++i) {
        const int r = crt::rand();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, crt::kRandMax);
    }
}

TEST(Clock, SteppedClockMovesOnlyWhenToldAndWraps)
{
    clock_control::UseSteppedClock(0xFFFFFFF0u);
    EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
    EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
    clock_control::Advance(0x20);
    EXPECT_EQ(GetTickCount(), 0x10u);
    Sleep(25);
    EXPECT_EQ(GetTickCount(), 0x29u);
    clock_control::SetTick(1000);
    EXPECT_EQ(GetTickCount(), 1000u);
    clock_control::UseRealClock();
    EXPECT_FALSE(clock_control::IsStepped());
    const DWORD a = GetTickCount();
    EXPECT_GE(GetTickCount() - a, 0u);
}
