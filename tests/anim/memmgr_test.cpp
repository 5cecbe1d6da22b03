#include "anim/memmgr.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {
struct Table {
    unsigned capacity = 0;
    unsigned used = 0;
};
}  // namespace

TEST(MemMgrGrowth, GrowsToAMultipleOfTheStepAndZeroFillsTheNewElements)
{
    Table t;
    int* a = nullptr;
    ASSERT_NE(MemMgr_ReallocateMemory(sizeof(int), reinterpret_cast<void**>(&a), &t, 3, 3, 0, 0, "f", 1), nullptr);
    EXPECT_EQ(t.capacity, 3u);
    a[0] = 11, a[1] = 22, a[2] = 33;
    ASSERT_NE(MemMgr_ReallocateMemory(sizeof(int), reinterpret_cast<void**>(&a), &t, 4, 16, 0, 0, "f", 1), nullptr);
    EXPECT_EQ(t.capacity, 16u);
    EXPECT_EQ(a[0], 11);
    EXPECT_EQ(a[1], 22);
    EXPECT_EQ(a[2], 33);
    for (int i = 3; i < 16; ++i)
        EXPECT_EQ(a[i], 0) << i;
    MemMgr_FreeMemory(a, "f", 1);
}

TEST(MemMgrGrowth, EnoughCapacityChangesNothing)
{
    Table t;
    char* a = nullptr;
    ASSERT_NE(MemMgr_ReallocateMemory(1, reinterpret_cast<void**>(&a), &t, 10, 8, 0, 0, "f", 1), nullptr);
    EXPECT_EQ(t.capacity, 16u);
    char* before = a;
    EXPECT_NE(MemMgr_ReallocateMemory(1, reinterpret_cast<void**>(&a), &t, 16, 8, 0, 0, "f", 1), nullptr);
    EXPECT_EQ(a, before);
    EXPECT_EQ(t.capacity, 16u);
    MemMgr_FreeMemory(a, "f", 1);
}

TEST(MemMgrGrowth, FillByteAndSignatureAfterTheNewCapacity)
{
    Table t;
    unsigned char* a = nullptr;
    ASSERT_NE(MemMgr_ReallocateMemory(2, reinterpret_cast<void**>(&a), &t, 5, 4, 0xAB, 0, "f", 1), nullptr);
    EXPECT_EQ(t.capacity, 8u);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(a[i], 0xAB);
    std::uint32_t sig = 0;
    std::memcpy(&sig, a + 16, 4);
    EXPECT_EQ(sig, MEMMGR_SIGNATURE);
    MemMgr_FreeMemory(a, "f", 1);
}

TEST(MemMgrGrowth, StepZeroFailsAndLeavesTheTable)
{
    Table t;
    int* a = nullptr;
    EXPECT_EQ(MemMgr_ReallocateMemory(sizeof(int), reinterpret_cast<void**>(&a), &t, 4, 0, 0, 0, "f", 1), nullptr);
    EXPECT_EQ(t.capacity, 0u);
    EXPECT_EQ(a, nullptr);
}

TEST(MemMgrGrowth, TypedHelperGrowsAnUnsignedCapacity)
{
    double* a = nullptr;
    unsigned cap = 0;
    ASSERT_TRUE(GrowTable(&a, &cap, 1, 10));
    EXPECT_EQ(cap, 10u);
    EXPECT_EQ(a[9], 0.0);
    MemMgr_FreeMemory(a, "f", 1);
}

TEST(MemMgrAllocate, BlocksCarryTheTrailingSignature)
{
    auto* p = static_cast<unsigned char*>(MemMgr_AllocateMemory(5, "name", "file", 3));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[5], 0x79);
    EXPECT_EQ(p[6], 0x61);
    EXPECT_EQ(p[7], 0x6B);
    EXPECT_EQ(p[8], 0x4F);
    MemMgr_FreeMemory(p, "file", 4);
    EXPECT_EQ(MemMgr_AllocateMemory(-1, "n", "f", 1), nullptr);
}
