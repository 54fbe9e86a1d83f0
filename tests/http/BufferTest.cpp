#include <gtest/gtest.h>

#include <cstring>

#include "http/CDataStorage.h"
#include "http/CUtf8Support.h"

TEST(Utf8Support, ConvertsWithTheTerminatorCounted)
{
    CUtf8Support utf8;
    ASSERT_TRUE(utf8.ToUtf8(L"\u00c4b"));
    ASSERT_EQ(utf8.Count(), 4u);
    EXPECT_EQ(std::memcmp(utf8.Data(), "\xC3\x84\x62\x00", 4), 0);
}

TEST(Utf8Support, EmptyTextIsTheTerminatorAlone)
{
    CUtf8Support utf8;
    ASSERT_TRUE(utf8.ToUtf8(L""));
    EXPECT_EQ(utf8.Count(), 1u);
    EXPECT_EQ(utf8.Data()[0], '\0');
    EXPECT_FALSE(utf8.ToUtf8(nullptr));
}

TEST(Utf8Support, JapaneseAndSurrogatePairs)
{
    CUtf8Support utf8;
    ASSERT_TRUE(utf8.ToUtf8(L"\u4eac\U0001F600"));
    ASSERT_EQ(utf8.Count(), 3u + 4u + 1u);
    EXPECT_EQ(std::memcmp(utf8.Data(), "\xE4\xBA\xAC\xF0\x9F\x98\x80", 7), 0);
}

TEST(DataStorage, GrowsInWholeMebibytes)
{
    CDataStorage storage;
    EXPECT_EQ(storage.Capacity(), 0u);
    ASSERT_TRUE(storage.Reserve(134));
    EXPECT_EQ(storage.Capacity(), 1048576u);
    storage.AddLength(1048576 - 10);
    ASSERT_TRUE(storage.Reserve(10));
    EXPECT_EQ(storage.Capacity(), 1048576u); // fits exactly
    ASSERT_TRUE(storage.Reserve(20));
    EXPECT_EQ(storage.Capacity(), 2097152u);
    ASSERT_TRUE(storage.Reserve(3 * 1048576 + 1));
    EXPECT_EQ(storage.Capacity(), 4194304u); // a shortfall of 2097143 taken up to 2 MiB
}

TEST(DataStorage, KeepsUsedBytesAndZeroesNewSpace)
{
    CDataStorage storage;
    ASSERT_TRUE(storage.Append("hello", 5));
    ASSERT_TRUE(storage.Reserve(2 * 1048576));
    EXPECT_EQ(storage.Length(), 5u);
    EXPECT_EQ(std::memcmp(storage.Data(), "hello", 5), 0);
    for (uint32_t i = 5; i < storage.Capacity(); i += 4099)
        ASSERT_EQ(storage.Data()[i], 0) << i;
}

TEST(DataStorage, RefusesGrowthPastFourGibibytes)
{
    CDataStorage storage;
    ASSERT_TRUE(storage.Append("x", 1));
    EXPECT_FALSE(storage.Reserve(UINT32_MAX));
    EXPECT_EQ(storage.Capacity(), 1048576u);
    EXPECT_EQ(storage.Length(), 1u);
}
