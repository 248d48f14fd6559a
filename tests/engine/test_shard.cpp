#include "engine/shard.h"

#include <gtest/gtest.h>

namespace {

TEST(Shard, HashIsThePublishedFnv1a) {
    // The published test vectors of the 32-bit FNV-1a hash.
    const struct {
        const char* text;
        std::uint32_t hash;
    } rows[] = {{"", 0x811c9dc5u}, {"a", 0xe40c292cu}, {"foobar", 0xbf9cf968u}};
    for (const auto& row : rows) {
        EXPECT_EQ(Shard::fnv1a(QByteArray(row.text)), row.hash) << row.text;
    }
}

TEST(Shard, PathsFallToExactlyOneShardWhateverTheSeparators) {
    const QString paths[] = {QStringLiteral("a.docx"), QStringLiteral("Sub/报告.docx"),
                             QStringLiteral("x/y/z.doc")};
    for (const QString& path : paths) {
        int holders = 0;
        for (int k = 1; k <= 5; ++k) {
            const bool held = Shard::holds(path, k, 5);
            holders += held ? 1 : 0;
            EXPECT_EQ(Shard::holds(QStringLiteral("/") + path, k, 5), held);
        }
        EXPECT_EQ(holders, 1) << path.toStdString();
        EXPECT_TRUE(Shard::holds(path, 1, 1));
    }
    // The rule as documented: the hash of the UTF-8 path modulo N is K - 1.
    EXPECT_TRUE(Shard::holds(QStringLiteral("a"), static_cast<int>(0xe40c292cu % 7) + 1, 7));
}

TEST(Shard, ParseAcceptsOnlyKOfN) {
    const struct {
        const char* text;
        bool ok;
        int index;
        int count;
    } rows[] = {{"1/1", true, 1, 1},  {"3/8", true, 3, 8},        {"8/8", true, 8, 8},
                {"0/8", false, 0, 0}, {"9/8", false, 0, 0},       {"1/0", false, 0, 0},
                {"1", false, 0, 0},   {"1/2/3", false, 0, 0},     {"-1/2", false, 0, 0},
                {"a/b", false, 0, 0}, {"1/99999999", false, 0, 0}};
    for (const auto& row : rows) {
        int index = 0;
        int count = 0;
        EXPECT_EQ(Shard::parse(QLatin1String(row.text), index, count), row.ok) << row.text;
        if (row.ok) {
            EXPECT_EQ(index, row.index) << row.text;
            EXPECT_EQ(count, row.count) << row.text;
        }
    }
    EXPECT_EQ(Shard::reportName(QStringLiteral("r.txt"), 2, 7), QStringLiteral("r.2-of-7.txt"));
}

}  // namespace
