// TQRCode's contract: setter rules, events and their order, batching, SymbolDebug and
// ClearOption, geometry and the PBM listing.
#include "component/qrcode.h"
#include "encoder/pbm.h"
#include "tests/component/qrcode_test_support.h"

#include <functional>
#include <gtest/gtest.h>

namespace zarvo::component {
namespace {

using qrtest::EventLog;

const std::string kDigits100(100, '7');

TEST(TQRCode, ConstructionDrawsNothing) {
    TQRCode q;
    EXPECT_TRUE(std::holds_alternative<std::monostate>(q.Picture()));
    EXPECT_FALSE(q.SymbolDisped());
    EXPECT_EQ(q.Width(), 49);
    EXPECT_EQ(q.Height(), 49);
    EXPECT_EQ(q.ComFont().Name, qrtest::kMsPGothic);
    EXPECT_EQ(q.ComFont().PixelHeight(), 12);
    EXPECT_EQ(q.Column(), 16);
    EXPECT_EQ(q.Numbering(), nbrIfVoid);
}

// Out-of-range values change nothing and draw nothing; accepted ones are stored and draw once.
TEST(TQRCode, SettersIgnoreOutOfRangeValuesAndRedrawOnceOtherwise) {
    using Set = std::function<void(TQRCode&)>;
    using Get = std::function<int64_t(const TQRCode&)>;
    const Get count = [](const TQRCode& q) { return q.Count(); };
    const Get column = [](const TQRCode& q) { return q.Column(); };
    const Get version = [](const TQRCode& q) { return q.Version(); };
    const Get emode = [](const TQRCode& q) { return q.Emode(); };
    const Get eclevel = [](const TQRCode& q) { return q.Eclevel(); };
    const Get masktype = [](const TQRCode& q) { return q.Masktype(); };
    const Get pxmag = [](const TQRCode& q) { return q.Pxmag(); };
    const Get angle = [](const TQRCode& q) { return q.Angle(); };
    const Get mode = [](const TQRCode& q) { return q.Mode(); };
    const Get numbering = [](const TQRCode& q) { return q.Numbering(); };
    const Get upLoc = [](const TQRCode& q) { return q.CommentUpLoc(); };
    const Get downLoc = [](const TQRCode& q) { return q.CommentDownLoc(); };
    struct {
        const char* name;
        Set set;
        Get get;
        int64_t expected;
        int paints;
    } cases[] = {
        {"Count 0", [](TQRCode& q) { q.SetCount(0); }, count, 1, 0},
        {"Count 1025", [](TQRCode& q) { q.SetCount(1025); }, count, 1, 0},
        {"Count 1024", [](TQRCode& q) { q.SetCount(1024); }, count, 100, 1}, // the division clamps to Len
        {"Column 0", [](TQRCode& q) { q.SetColumn(0); }, column, 16, 0},
        {"Column 1025", [](TQRCode& q) { q.SetColumn(1025); }, column, 16, 0},
        {"Column 1024", [](TQRCode& q) { q.SetColumn(1024); }, column, 1024, 1},
        {"Version 0", [](TQRCode& q) { q.SetVersion(0); }, version, 1, 0},
        {"Version 41", [](TQRCode& q) { q.SetVersion(41); }, version, 1, 0},
        {"Version 40", [](TQRCode& q) { q.SetVersion(40); }, version, 40, 1},
        {"Emode -2", [](TQRCode& q) { q.SetEmode(-2); }, emode, -1, 0},
        {"Emode 4", [](TQRCode& q) { q.SetEmode(4); }, emode, -1, 0},
        {"Emode 3", [](TQRCode& q) { q.SetEmode(3); }, emode, 3, 1},
        {"Eclevel -1", [](TQRCode& q) { q.SetEclevel(-1); }, eclevel, 0, 0},
        {"Eclevel 4", [](TQRCode& q) { q.SetEclevel(4); }, eclevel, 0, 0},
        {"Eclevel 3", [](TQRCode& q) { q.SetEclevel(3); }, eclevel, 3, 1},
        {"Masktype -2", [](TQRCode& q) { q.SetMasktype(-2); }, masktype, -1, 0},
        {"Masktype 8", [](TQRCode& q) { q.SetMasktype(8); }, masktype, -1, 0},
        {"Masktype 7", [](TQRCode& q) { q.SetMasktype(7); }, masktype, 7, 1},
        {"Pxmag 0", [](TQRCode& q) { q.SetPxmag(0); }, pxmag, 1, 0},
        {"Pxmag 11", [](TQRCode& q) { q.SetPxmag(11); }, pxmag, 1, 0},
        {"Pxmag 10", [](TQRCode& q) { q.SetPxmag(10); }, pxmag, 10, 1},
        {"Angle 45", [](TQRCode& q) { q.SetAngle(45); }, angle, 0, 0},
        {"Angle 360", [](TQRCode& q) { q.SetAngle(360); }, angle, 0, 0},
        {"Angle -90", [](TQRCode& q) { q.SetAngle(-90); }, angle, 0, 0},
        {"Angle 270", [](TQRCode& q) { q.SetAngle(270); }, angle, 270, 1},
        {"Mode 3", [](TQRCode& q) { q.SetMode(static_cast<TQRMode>(3)); }, mode, qrSingle, 0},
        {"Mode -1", [](TQRCode& q) { q.SetMode(static_cast<TQRMode>(-1)); }, mode, qrSingle, 0},
        {"Numbering 4", [](TQRCode& q) { q.SetNumbering(static_cast<TNumbering>(4)); }, numbering, nbrIfVoid,
         0},
        {"CommentUpLoc 3", [](TQRCode& q) { q.SetCommentUpLoc(static_cast<TLocation>(3)); }, upLoc, locLeft,
         0},
        {"CommentDownLoc -1", [](TQRCode& q) { q.SetCommentDownLoc(static_cast<TLocation>(-1)); }, downLoc,
         locLeft, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TQRCode q;
        q.SetCode(kDigits100);
        EventLog log;
        log.Attach(q);
        c.set(q);
        EXPECT_EQ(c.get(q), c.expected);
        EXPECT_EQ(log.Count("PaintSymbol"), c.paints);
        EXPECT_EQ(log.Count("PaintedSymbol"), c.paints);
    }
}

TEST(TQRCode, ModeSetsOrClampsCountBeforeStoring) {
    struct {
        int32_t count;
        TQRMode mode;
        int32_t expectedCount;
        TQRMode expectedMode;
    } cases[] = {
        {1, qrConnect, 2, qrConnect},
        {40, qrConnect, 16, qrConnect},
        {5, qrConnect, 5, qrConnect},
        {1, qrPlus, 2, qrPlus},
        {1024, qrPlus, 1024, qrPlus},
        {7, qrSingle, 1, qrSingle},
        {7, static_cast<TQRMode>(3), 7, qrPlus}, // ignored: what the division made of Count 7 stays
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "Count " << c.count << ", Mode " << c.mode);
        TQRCode q;
        q.SetCode(std::string(2000, '1'));
        q.SetSymbolEnabled(false);
        q.SetMode(qrPlus);
        q.SetCount(c.count);
        q.SetMode(c.mode);
        EXPECT_EQ(q.Count(), c.expectedCount);
        EXPECT_EQ(q.Mode(), c.expectedMode);
    }
}

TEST(TQRCode, TheDivisionAdjustsModeAndCount) {
    struct {
        std::string data;
        TQRMode mode;
        int32_t count;
        TQRMode expectedMode;
        int32_t expectedCount;
    } cases[] = {
        {std::string(20, 'a'), qrConnect, 20, qrPlus, 20},    // accepted by the setter, more than 16 pieces
        {std::string(10, 'a'), qrConnect, 20, qrConnect, 10}, // no more pieces than bytes
        {std::string(10, 'a'), qrSingle, 3, qrConnect, 3},
        {"a", qrPlus, 5, qrSingle, 1},
        {"", qrConnect, 4, qrSingle, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data.size());
        TQRCode q;
        q.SetSymbolEnabled(false);
        q.SetCode(c.data);
        q.SetMode(c.mode);
        q.SetCount(c.count);
        q.SetSymbolEnabled(true);
        EXPECT_EQ(q.Mode(), c.expectedMode);
        EXPECT_EQ(q.Count(), c.expectedCount);
    }
}

TEST(TQRCode, EmodeAndMasktypeAlsoSetTheirResults) {
    TQRCode q;
    q.SetCode("HELLO 123");
    EXPECT_NE(q.MasktypeR(), -1); // the automatic choice
    q.SetSymbolEnabled(false);
    q.SetEmode(2);
    EXPECT_EQ(q.EmodeR(), 2);
    q.SetMasktype(-1);
    EXPECT_EQ(q.MasktypeR(), -1);
    q.SetMasktype(5);
    EXPECT_EQ(q.MasktypeR(), 5);
    q.SetEmode(-1);
    EXPECT_EQ(q.EmodeR(), -1);
}

TEST(TQRCode, MatchTransparentAndSymbolPictureExcludeEachOther) {
    TQRCode q;
    EventLog log;
    log.Attach(q);

    q.SetSymbolPicture(picEMF); // Match is false: stays picBMP, no redraw
    EXPECT_EQ(q.SymbolPicture(), picBMP);
    EXPECT_EQ(log.Count("PaintSymbol"), 0);

    q.SetMatch(true);
    q.SetSymbolPicture(picWMF);
    EXPECT_EQ(q.SymbolPicture(), picWMF);
    EXPECT_EQ(log.Count("PaintSymbol"), 2);

    q.SetTransparent(true); // turns Match off and the picture back to a bitmap
    EXPECT_FALSE(q.Match());
    EXPECT_EQ(q.SymbolPicture(), picBMP);

    q.SetMatch(true); // turns Transparent off
    EXPECT_FALSE(q.Transparent());
    q.SetSymbolPicture(picEMF);
    q.SetMatch(false); // the picture type follows
    EXPECT_EQ(q.SymbolPicture(), picBMP);
    EXPECT_EQ(log.Count("PaintSymbol"), 6);
}

TEST(TQRCode, SettingCodeFiresTheEventsInOrder) {
    TQRCode q;
    q.SetCode("OLD");
    std::vector<std::string> seen;
    q.SetOnChangeCode([&](TQRCode* s, bool watch) {
        EXPECT_EQ(s, &q);
        EXPECT_FALSE(watch);
        seen.push_back("ChangeCode " + s->Code() + " " + std::to_string(s->Len()));
    });
    q.SetOnPaintSymbol([&](TQRCode* s, bool) {
        seen.push_back("PaintSymbol " + s->Code() + " " + std::to_string(s->Len()));
    });
    q.SetOnPaintedSymbol([&](TQRCode* s, bool) {
        seen.push_back(std::string("PaintedSymbol ") + (s->SymbolDisped() ? "shown" : "not shown"));
    });
    q.SetOnChangedCode([&](TQRCode* s, bool) { seen.push_back("ChangedCode " + s->Code()); });

    q.SetCode("NEW CODE");
    const std::vector<std::string> expected = {"ChangeCode OLD 3", "PaintSymbol NEW CODE 8",
                                               "PaintedSymbol shown", "ChangedCode NEW CODE"};
    EXPECT_EQ(seen, expected);

    // Data that does not fit is no error: the same events, reporting "not shown"
    seen.clear();
    q.SetCode(std::string(100, 'x'));
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[2], "PaintedSymbol not shown");
}

TEST(TQRCode, BatchingWithSymbolEnabledDrawsOnceAndKeepsCodeEventsSilent) {
    TQRCode q;
    EventLog log;
    log.Attach(q);
    q.SetSymbolEnabled(false);
    q.SetBinaryOperation(true);
    q.SetCode("A~00~");
    EXPECT_EQ(q.Len(), 2); // converted at once
    EXPECT_TRUE(q.Binary());
    q.SetVersion(2);
    q.SetPxmag(3);
    q.SetCommentUp("up");
    q.SetSymbolColor(0x0000FF);
    EXPECT_TRUE(log.events.empty());
    EXPECT_FALSE(q.SymbolDisped());

    q.SetSymbolEnabled(true);
    EXPECT_EQ(log.events, (std::vector<std::string>{"PaintSymbol", "PaintedSymbol"}));
    EXPECT_TRUE(q.SymbolDisped());
    q.SetSymbolEnabled(true); // no change: no redraw
    EXPECT_EQ(log.events.size(), 2u);
}

TEST(TQRCode, RedrawOnlyWhenTheSettingMatters) {
    struct {
        const char* name;
        std::function<void(TQRCode&)> set;
        int paints;
    } cases[] = {
        {"Numbering, Count 1", [](TQRCode& q) { q.SetNumbering(nbrHead); }, 0},
        {"Numbering, Count 2",
         [](TQRCode& q) {
             q.SetSymbolEnabled(false);
             q.SetCount(2);
             q.SetSymbolEnabled(true);
             q.SetNumbering(nbrHead);
         },
         2},
        {"CommentUpLoc, no comment", [](TQRCode& q) { q.SetCommentUpLoc(locRight); }, 0},
        {"CommentDownLoc, no comment", [](TQRCode& q) { q.SetCommentDownLoc(locCenter); }, 0},
        {"CommentUpLoc with a comment",
         [](TQRCode& q) {
             q.SetCommentUp("u");
             q.SetCommentUpLoc(locRight);
         },
         2},
        {"CommentDownLoc with a comment",
         [](TQRCode& q) {
             q.SetCommentDown("d");
             q.SetCommentDownLoc(locRight);
         },
         2},
        {"SymbolDebug", [](TQRCode& q) { q.SetSymbolDebug(true); }, 0},
        {"ClearOption", [](TQRCode& q) { q.SetClearOption(true); }, 0},
        {"ComFont, its own object", [](TQRCode& q) { q.SetComFont(q.ComFont()); }, 0},
        {"ComFont, a copy",
         [](TQRCode& q) {
             TFont font = q.ComFont();
             font.Bold = true;
             q.SetComFont(font);
             EXPECT_TRUE(q.ComFont().Bold);
         },
         1},
        {"SymbolLeft -5", [](TQRCode& q) { q.SetSymbolLeft(-5); }, 1},
        {"SymbolSpaceDown", [](TQRCode& q) { q.SetSymbolSpaceDown(3); }, 1},
        {"Reverse", [](TQRCode& q) { q.SetReverse(true); }, 1},
        {"BackColor", [](TQRCode& q) { q.SetBackColor(0x00FF00); }, 1},
        {"BinaryOperation", [](TQRCode& q) { q.SetBinaryOperation(true); }, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TQRCode q;
        q.SetCode("DATA");
        EventLog log;
        log.Attach(q);
        c.set(q);
        EXPECT_EQ(log.Count("PaintSymbol"), c.paints);
        EXPECT_EQ(log.Count("ChangeCode") + log.Count("ChangedCode"), 0);
    }
}

TEST(TQRCode, ClearOptionAndSymbolDebug) {
    struct {
        bool fits, debug, clear;
        bool disped, cleared;
    } cases[] = {
        {true, false, true, true, false},    {false, false, true, false, true},
        {false, false, false, false, false}, {false, true, true, false, false}, // SymbolDebug: never cleared
        {true, true, true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "fits " << c.fits << ", debug " << c.debug << ", clear " << c.clear);
        TQRCode q;
        q.SetSymbolEnabled(false);
        q.SetCode(c.fits ? "FITS" : std::string(200, 'x'));
        q.SetSymbolDebug(c.debug);
        q.SetClearOption(c.clear);
        q.SetSymbolEnabled(true);
        EXPECT_EQ(q.SymbolDisped(), c.disped);
        EXPECT_EQ(std::holds_alternative<std::monostate>(q.Picture()), c.cleared);
        if (c.debug && !c.cleared) {
            // prepared (the control's size), but nothing painted
            const Bitmap& bitmap = qrtest::BitmapOf(q);
            ASSERT_EQ(bitmap.Width(), 49);
            for (int y = 0; y < bitmap.Height(); ++y)
                for (int x = 0; x < bitmap.Width(); ++x)
                    ASSERT_EQ(qrtest::Pixel(bitmap, x, y), qrtest::kWhite) << x << "," << y;
        }
    }
}

TEST(TQRCode, ClearOptionClearsWhenTurnedOnOverASymbolNotShown) {
    TQRCode q;
    q.SetCode(std::string(200, 'x')); // does not fit version 1
    ASSERT_FALSE(q.SymbolDisped());
    ASSERT_TRUE(std::holds_alternative<Bitmap>(q.Picture()));
    q.SetClearOption(true);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(q.Picture()));

    q.SetPicture(Bitmap(3, 3, 32));
    q.SetClearOption(true); // already on: nothing
    EXPECT_TRUE(std::holds_alternative<Bitmap>(q.Picture()));
    q.SetClearOption(false);
    q.SetClearOption(true); // on again while not shown
    EXPECT_TRUE(std::holds_alternative<std::monostate>(q.Picture()));

    q.SetCode("FITS");
    q.SetClearOption(false);
    q.SetClearOption(true); // shown: kept
    EXPECT_TRUE(std::holds_alternative<Bitmap>(q.Picture()));
}

TEST(TQRCode, GeometryFollowsTheSettings) {
    struct {
        int32_t version, pxmag, count, column, up, down, left, right;
        int32_t width, widthS, widthA, heightS, heightA;
    } cases[] = {
        {1, 1, 1, 16, 0, 0, 0, 0, 29, 29, 29, 29, 29},
        {40, 10, 1, 16, 0, 0, 0, 0, 1850, 1850, 1850, 1850, 1850},
        {1, 2, 3, 2, 10, 10, 10, 10, 58, 78, 156, 78, 156},
        {1, 1, 5, 2, 1, 2, 3, 4, 29, 36, 72, 32, 96},
        {1, 1, 3, 16, 0, 0, 5, 0, 29, 34, 102, 29, 29},
        {2, 3, 16, 4, -1, 0, 0, -2, 99, 97, 388, 98, 392},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "version " << c.version << ", count " << c.count);
        TQRCode q;
        q.SetSymbolEnabled(false);
        q.SetVersion(c.version);
        q.SetPxmag(c.pxmag);
        q.SetMode(c.count > 1 ? qrPlus : qrSingle);
        q.SetCount(c.count);
        q.SetColumn(c.column);
        q.SetSymbolSpaceUp(c.up);
        q.SetSymbolSpaceDown(c.down);
        q.SetSymbolSpaceLeft(c.left);
        q.SetSymbolSpaceRight(c.right);
        EXPECT_EQ(q.SymbolWidth(), c.width);
        EXPECT_EQ(q.SymbolHeight(), c.width);
        EXPECT_EQ(q.SymbolWidthS(), c.widthS);
        EXPECT_EQ(q.SymbolWidthA(), c.widthA);
        EXPECT_EQ(q.SymbolHeightS(), c.heightS);
        EXPECT_EQ(q.SymbolHeightA(), c.heightA);
        EXPECT_EQ(q.QuietZone(), 4 * c.pxmag);
    }
}

TEST(TQRCode, GeometrySaturatesInsteadOfOverflowing) {
    TQRCode q;
    q.SetSymbolEnabled(false);
    q.SetSymbolSpaceLeft(INT32_MAX);
    q.SetSymbolSpaceRight(INT32_MAX);
    EXPECT_EQ(q.SymbolWidthS(), INT32_MAX);
    q.SetSymbolSpaceUp(INT32_MIN);
    q.SetMode(qrPlus);
    q.SetCount(2);
    q.SetColumn(1);
    EXPECT_EQ(q.SymbolHeightA(), INT32_MIN);
}

TEST(TQRCode, PbmListsTheLastDivisionWithoutDrawing) {
    TQRCode q;
    q.SetCode("HELLO");
    EventLog log;
    log.Attach(q);
    const Bitmap before = qrtest::BitmapOf(q);

    const std::vector<std::string>& pbm = q.PBM();
    ASSERT_EQ(pbm.size(), 3u + 2u + 29u);
    EXPECT_EQ(pbm[0], "P1");
    EXPECT_EQ(pbm[1], "Single Mode (Count = 1)");
    EXPECT_EQ(pbm[2], "29 29");
    EXPECT_EQ(pbm[3], "");
    EXPECT_EQ(pbm[4], "");
    std::string light;
    for (int i = 0; i < 29; ++i)
        light += " 0";
    for (size_t i : {5u, 6u, 7u, 8u, 30u, 31u, 32u, 33u})
        EXPECT_EQ(pbm[i], light) << i;
    for (size_t i = 5; i < pbm.size(); ++i)
        ASSERT_EQ(pbm[i].size(), 58u) << i;
    EXPECT_EQ(pbm[9].substr(0, 22), " 0 0 0 0 1 1 1 1 1 1 1"); // quiet zone, then the finder's top row
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ(qrtest::BitmapOf(q), before);

    // the listing function of the encoder, not a second copy of it
    std::vector<std::string> direct;
    encoder::MakePbm(const_cast<encoder::SymbolEncoder&>(q.Encoder()),
                     reinterpret_cast<const uint8_t*>(q.Data().data()), q.Len(), q.Pxmag(), direct);
    EXPECT_EQ(direct, pbm);

    q.SetSymbolEnabled(false);
    q.SetMode(qrConnect);
    q.SetCount(3);
    q.SetPxmag(2);
    q.SetSymbolEnabled(true);
    const auto& three = q.PBM();
    EXPECT_EQ(three[1], "Connect Mode (Count = 3)");
    EXPECT_EQ(three[2], "58 58");
    EXPECT_EQ(three.size(), 3u + 3u * (2u + 58u));

    q.SetCode(std::string(200, 'x')); // does not fit: the header alone
    EXPECT_EQ(q.PBM().size(), 3u);
}

// Changes made with drawing off leave the last drawing's division, which may not cover the data.
TEST(TQRCode, PbmListsNothingOfADivisionMadeForOtherData) {
    const auto symbols = [](const std::vector<std::string>& pbm) { return (pbm.size() - 3) / (2 + 29); };
    const struct {
        const char* what;
        std::function<void(TQRCode&)> change;
        size_t symbols;
    } cases[] = {
        {"data grew", // listed "A", "B", "CDEFGHI" and dropped "JKL"
         [](TQRCode& q) {
             q.SetCount(3);
             q.SetCode("ABCDEFGHIJKL");
         },
         0},
        {"count raised", [](TQRCode& q) { q.SetCount(3); }, 0},
        {"data of the same length", [](TQRCode& q) { q.SetCode("XY"); }, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TQRCode q;
        q.SetCode("ABCDEFGHI");
        q.SetCount(3);
        q.SetCode("AB"); // 2 pieces: offsets 0, 1, 2, and 9 left from the first division
        ASSERT_EQ(q.Encoder().PieceOffsets[3], 9);
        q.SetSymbolEnabled(false);
        c.change(q);
        EXPECT_EQ(symbols(q.PBM()), c.symbols);
        q.SetSymbolEnabled(true);
        EXPECT_EQ(symbols(q.PBM()), static_cast<size_t>(q.Count()));
    }
}

} // namespace
} // namespace zarvo::component
