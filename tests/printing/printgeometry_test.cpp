// Where printed pictures land: known answers, the edge cases of the grid and the flow, and the
// arithmetic against a 32-bit evaluation and against the grid's own counting loop.
#include "printing/printgeometry.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace zarvo::printing {
namespace {

// A 600 dpi printer with 4760 × 6814 printable, a 96 dpi screen.
constexpr Measurements kA4{600, 600, 4760, 6814, 96, 96};

TEST(PrinterPixels, KnownAnswers) {
    struct {
        int64_t pixels;
        int32_t printerDpi, magnification, screenDpi;
        int64_t expected;
    } cases[] = {
        {10, 600, 100, 96, 62},   // the row gap: 62.5 truncated
        {100, 600, 100, 96, 625}, // a 100-pixel symbol at 100 %
        {100, 600, 160, 96, 1000},
        {49, 600, 10, 96, 30}, // 30.6 truncated
        {1, 300, 10, 96, 0},   // too small for one printer pixel
        {0, 600, 100, 96, 0},
        {100, 600, 100, 0, 60000}, // a screen that reports no dpi counts as 1 dpi
        // 100000 × 1200 × 1000 overflows 32 bits, the result does not
        {100000, 1200, 1000, 96, 12500000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ToPrinterPixels(c.pixels, c.printerDpi, c.magnification, c.screenDpi), c.expected)
            << c.pixels << " px at " << c.printerDpi << " dpi, " << c.magnification << " %";
}

TEST(PrinterPixels, SameAs32BitsWhereThoseDidNotOverflow) {
    std::mt19937 rng(612);
    int compared = 0;
    for (int n = 0; n < 20000; ++n) {
        const int32_t pixels = static_cast<int32_t>(rng() % 20000);
        const int32_t dpi = static_cast<int32_t>(72 + rng() % 2400);
        const int32_t m = static_cast<int32_t>(10 + rng() % 991);
        const int32_t screen = static_cast<int32_t>(72 + rng() % 200);
        int32_t product = 0;
        if (__builtin_mul_overflow(pixels, dpi, &product) || __builtin_mul_overflow(product, m, &product))
            continue;
        ++compared;
        ASSERT_EQ(ToPrinterPixels(pixels, dpi, m, screen), product / screen / 100)
            << pixels << " " << dpi << " " << m << " " << screen;
    }
    EXPECT_GT(compared, 1000);
}

// The grid's counting loop as the print settings describe it.
int64_t CountingLoop(int64_t extent, int64_t size, int64_t gap) {
    int64_t count = 0;
    for (int64_t v = extent; v > 0; v -= size + gap)
        if (v >= size)
            ++count;
    return count == 0 ? 1 : count;
}

TEST(Grid, ColumnsAndRows) {
    struct {
        int64_t extent, size, gap, expected;
    } cases[] = {
        {4800, 1000, 0, 4}, // v runs 4800, 3800, 2800, 1800, 800: the last is too narrow
        {4000, 1000, 0, 4}, // exactly four
        {3999, 1000, 0, 3},   {4800, 1000, 100, 4},
        {4800, 1000, 300, 3}, {900, 1000, 0, 1}, // wider than the page: still one, clipped
        {4760, 1, 0, 4760},                      // one-pixel pictures
        {0, 10, 0, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GridCount(c.extent, c.size, c.gap), c.expected)
            << c.extent << " / " << c.size << " + " << c.gap;
}

TEST(Grid, AgreesWithTheCountingLoop) {
    std::mt19937 rng(4800);
    for (int n = 0; n < 5000; ++n) {
        const auto extent = static_cast<int64_t>(rng() % 3000), size = static_cast<int64_t>(1 + rng() % 700),
                   gap = static_cast<int64_t>(rng() % 300);
        ASSERT_EQ(GridCount(extent, size, gap), CountingLoop(extent, size, gap))
            << extent << " " << size << " " << gap;
    }
}

TEST(Grid, GeometryOfAPicture) {
    // 160 × 160 screen pixels at 100 %: 1000 × 1000 printer pixels, gaps 62 below and 0 beside
    const PrintGeometry g = ComputeGeometry(kA4, 100, 160, 160, 0, 10);
    EXPECT_EQ(g.Width, 1000);
    EXPECT_EQ(g.Height, 1000);
    EXPECT_EQ(g.ColGap, 0);
    EXPECT_EQ(g.RowGap, 62);
    EXPECT_EQ(g.Columns, 4);
    EXPECT_EQ(g.Rows, 6); // 6 × 1062 - 62 = 6310 <= 6814
    EXPECT_EQ(g.PerPage(), 24);
}

TEST(Grid, APictureAlwaysTakesAtLeastAPixelAndGapsAreNeverNegative) {
    // At 10 % a 1-pixel picture has no printed size; a spacing read from an edited settings file
    // may be negative. Either would keep the columns from advancing (w + cg <= 0).
    const PrintGeometry tiny = ComputeGeometry(kA4, 10, 1, 1, 0, 0);
    EXPECT_EQ(tiny.Width, 1);
    EXPECT_EQ(tiny.Height, 1);
    EXPECT_EQ(tiny.Columns, 4760);
    const PrintGeometry negative = ComputeGeometry(kA4, 100, 160, 160, -5000, -5000);
    EXPECT_EQ(negative.ColGap, 0);
    EXPECT_EQ(negative.RowGap, 0);
    const PrintGeometry wide = ComputeGeometry(kA4, 100, 160, 160, 99999, 0);
    EXPECT_EQ(wide.ColGap, ToPrinterPixels(kMaxSpacing, 600, 100, 96));
}

TEST(Grid, PagesWithoutATrailingEmptyOne) {
    struct {
        int64_t count, perPage, pages;
    } cases[] = {{1, 24, 1}, {24, 24, 1}, {25, 24, 2}, {48, 24, 2}, {72, 24, 3}, {0, 24, 0}, {5, 1, 5}};
    for (const auto& c : cases)
        EXPECT_EQ(PageCount(c.count, c.perPage), c.pages) << c.count << " at " << c.perPage;
}

TEST(Grid, CellsFillRowsLeftToRightThenPages) {
    PrintGeometry g;
    g.Width = 1000;
    g.Height = 500;
    g.ColGap = 10;
    g.RowGap = 62;
    g.Columns = 4;
    g.Rows = 2;
    struct {
        int64_t index, page, column, row, left, top;
    } cases[] = {
        {0, 1, 0, 0, 0, 0},      {3, 1, 3, 0, 3030, 0}, {4, 1, 0, 1, 0, 562},
        {7, 1, 3, 1, 3030, 562}, {8, 2, 0, 0, 0, 0},    {13, 2, 1, 1, 1010, 562},
    };
    for (const auto& c : cases) {
        const GridCell cell = CellOf(c.index, g);
        EXPECT_EQ(cell.Page, c.page) << c.index;
        EXPECT_EQ(cell.Column, c.column) << c.index;
        EXPECT_EQ(cell.Row, c.row) << c.index;
        EXPECT_EQ(CellLeft(cell, g), c.left) << c.index;
        EXPECT_EQ(CellTop(cell, g), c.top) << c.index;
    }
}

struct Box {
    int64_t w, h;
};
struct Where {
    int64_t page, x, y;
};

std::vector<Where> Flow(std::vector<Box> boxes, int64_t pageWidth = 4760, int64_t pageHeight = 6814,
                        int64_t colGap = 0, int64_t rowGap = 62) {
    ListFlow flow(pageWidth, pageHeight, colGap, rowGap, 100);
    std::vector<Where> result;
    for (const Box& b : boxes) {
        const FlowPlacement at = flow.Place(b.w, b.h);
        result.push_back({at.Page, at.X, at.Y});
    }
    return result;
}

void ExpectFlow(const std::vector<Where>& got, const std::vector<Where>& expected) {
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].page, expected[i].page) << "picture " << i;
        EXPECT_EQ(got[i].x, expected[i].x) << "picture " << i;
        EXPECT_EQ(got[i].y, expected[i].y) << "picture " << i;
    }
}

TEST(ListFlowLayout, RowsOfVaryingHeight) {
    // Three in a row, the row as high as its highest; the fourth does not fit beside them
    ExpectFlow(Flow({{1500, 800}, {1500, 1200}, {1500, 600}, {1500, 900}}),
               {{1, 0, 0}, {1, 1500, 0}, {1, 3000, 0}, {1, 0, 1262}});
}

TEST(ListFlowLayout, TwoWidePicturesGoOnTwoRows) {
    ExpectFlow(Flow({{3000, 1000}, {3000, 700}}), {{1, 0, 0}, {1, 0, 1062}});
}

TEST(ListFlowLayout, APictureCrossingTheBottomStartsAPageMidRow) {
    // Row 1 at y 0 (3000 high), row 2 at 3062: its first picture fits (ends at 6062), the second
    // (4000 high) would reach 7062 and starts page 2 although its row began on page 1
    ExpectFlow(Flow({{2000, 3000}, {2000, 3000}, {2000, 3000}, {2000, 4000}, {100, 100}}),
               {{1, 0, 0}, {1, 2000, 0}, {1, 0, 3062}, {2, 0, 0}, {2, 2000, 0}});
}

TEST(ListFlowLayout, APictureTallerThanThePageIsPrintedAtTheTopOfAPage) {
    // One to a row: the tall one alone on page 2, clipped, and the next on page 3
    ExpectFlow(Flow({{3000, 1000}, {3000, 9000}, {3000, 1000}}), {{1, 0, 0}, {2, 0, 0}, {3, 0, 0}});
    // As the first picture of all it stays on page 1
    ExpectFlow(Flow({{3000, 9000}, {3000, 1000}}), {{1, 0, 0}, {2, 0, 0}});
    // A narrow picture after it still finds room beside it in its row
    ExpectFlow(Flow({{3000, 1000}, {3000, 9000}, {1000, 1000}, {1000, 1000}}),
               {{1, 0, 0}, {2, 0, 0}, {2, 3000, 0}, {3, 0, 0}});
}

TEST(ListFlowLayout, APictureWiderThanThePageTakesARowOfItsOwn) {
    ExpectFlow(Flow({{100, 100}, {6000, 100}, {100, 100}}), {{1, 0, 0}, {1, 0, 162}, {1, 0, 324}});
}

TEST(ListFlowLayout, AFullRowEndsBeforeTheNextPictureAndAFullPageBeforeTheNextRow) {
    // Exactly two to a row (2 × 2380 = 4760) and the page full after three rows of 2200 + 62
    ExpectFlow(Flow({{2380, 2200}, {2380, 2200}, {10, 10}, {10, 10}}, 4760, 6786, 0, 62),
               {{1, 0, 0}, {1, 2380, 0}, {1, 0, 2262}, {1, 10, 2262}});
    ExpectFlow(Flow({{4760, 2200}, {4760, 2200}, {4760, 2200}, {10, 10}}, 4760, 6786, 0, 62),
               {{1, 0, 0}, {1, 0, 2262}, {1, 0, 4524}, {2, 0, 0}});
}

TEST(ListFlowLayout, PreviewPositionsAdvanceByScaledSizes) {
    // At scale 9: 1001 → 90, gap 62 → 5. The preview adds the scaled values, which differs from
    // scaling the printer position (2 × 1063 × 9 ÷ 100 = 191, not 190).
    ListFlow flow(4760, 6814, 62, 62, 9);
    flow.Place(1001, 1001);
    flow.Place(1001, 1001);
    const FlowPlacement third = flow.Place(1001, 1001);
    EXPECT_EQ(third.X, 2126);
    EXPECT_EQ(third.Xs, 190);
    flow.Place(1001, 1001);
    const FlowPlacement fifth = flow.Place(1001, 1001); // the next row
    EXPECT_EQ(fifth.Y, 1063);
    EXPECT_EQ(fifth.Ys, 95);
    EXPECT_EQ(fifth.Xs, 0);
}

TEST(Preview, ScaleAndWindowOfTheWorkedExample) {
    EXPECT_EQ(PreviewScale(1024, 768, 4760, 6814), 9); // min(21 ÷ 2, 9)
    const PreviewSizes s = ComputePreviewSizes(4760, 6814, 9, 52);
    EXPECT_EQ(s.ClientWidth, 891);
    EXPECT_EQ(s.PageBitmapWidth, 428);
    EXPECT_EQ(s.PageBitmapHeight, 613);
    EXPECT_EQ(s.ClientHeight, 613 + 52 + 20);
    EXPECT_EQ(s.RightPageLeft, 448);
}

TEST(Preview, ScaleIsNeverZero) {
    // A large printable area on a small screen gives 0 by the formula; "等倍" would divide by it
    EXPECT_EQ(PreviewScale(1280, 1024, 79440, 112320), 1); // 44-inch paper at 1800 dpi
    EXPECT_EQ(PreviewScale(1024, 768, 0, 6814), 1);
    EXPECT_EQ(SameSizeMagnification(96, 0, 600), 1600);
}

TEST(Preview, SameSizeMagnification) {
    EXPECT_EQ(SameSizeMagnification(96, 10, 600), 160);
    EXPECT_EQ(SameSizeMagnification(96, 9, 600), 177);
    EXPECT_EQ(SameSizeMagnification(96, 10, 0), 96000); // no division by a missing printer dpi
    // At that magnification a picture W screen pixels wide is W preview pixels wide (give or
    // take the truncations)
    const int64_t printed = ToPrinterPixels(200, 600, 160, 96);
    EXPECT_EQ(Scaled(printed, 10), 200);
}

} // namespace
} // namespace zarvo::printing
