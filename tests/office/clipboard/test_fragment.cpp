#include "office/clipboard/clipboard.h"
#include "office/clipboard/fragment.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

/* A format that differs from the default in its font size only. */
CellFormat sizedFormat(double size) {
    CellFormat format;
    format.fontSize = size;
    return format;
}

}  // namespace

TEST(Fragment, SizedFragmentHasEmptyCellsAndUnsetSizes) {
    const Fragment fragment = Fragment::sized(2, 3);
    ASSERT_EQ(fragment.cells.size(), 6u);
    EXPECT_EQ(fragment.at(1, 2).kind, FragmentCell::Kind::Empty);
    EXPECT_EQ(fragment.formats.size(), 1u);
    EXPECT_EQ(fragment.columnWidths, std::vector<double>(3, -1.0));
    EXPECT_EQ(fragment.rowHeights, std::vector<double>(2, -1.0));
    EXPECT_EQ(Fragment::sized(-1, 4).cells.size(), 0u);
}

TEST(Fragment, EqualFormatsShareOneSlotAmongMany) {
    Fragment fragment = Fragment::sized(1, 1);
    EXPECT_EQ(fragment.internFormat(CellFormat()), 0);
    for (int i = 1; i <= 2000; ++i) {
        ASSERT_EQ(fragment.internFormat(sizedFormat(i)), i);
    }
    CellFormat bold = sizedFormat(7);
    bold.bold = true;
    EXPECT_EQ(fragment.internFormat(sizedFormat(7)), 7);
    EXPECT_EQ(fragment.internFormat(bold), 2001);
    EXPECT_EQ(fragment.formats.size(), 2002u);
}

TEST(Fragment, FormatsAddedDirectlyAreFoundAfterwards) {
    Fragment fragment = Fragment::sized(1, 1);
    EXPECT_EQ(fragment.internFormat(sizedFormat(10)), 1);
    fragment.formats.push_back(sizedFormat(12));
    EXPECT_EQ(fragment.internFormat(sizedFormat(12)), 2);
    EXPECT_EQ(fragment.internFormat(sizedFormat(10)), 1);
    EXPECT_EQ(fragment.formats.size(), 3u);
}

TEST(Clipboard, EachThreadHasItsOwn) {
    Clipboard::current().setFragment(Fragment::sized(3, 3));
    const Fragment* seenByOtherThread = reinterpret_cast<const Fragment*>(1);
    std::thread other([&] { seenByOtherThread = Clipboard::current().fragment(); });
    other.join();
    EXPECT_EQ(seenByOtherThread, nullptr);
    ASSERT_NE(Clipboard::current().fragment(), nullptr);
    EXPECT_EQ(Clipboard::current().fragment()->rowCount, 3);
    Clipboard::current().clear();
    EXPECT_EQ(Clipboard::current().fragment(), nullptr);
}
