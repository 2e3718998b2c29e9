// The clipboard: what CopyToClipboard offers, PasteFromClipboard, and the clipboard watch, through a
// fake clipboard (and the system one on the offscreen platform).
#include "component/clipboard.h"
#include "component/picture/imagefiles.h"
#include "component/qrcode.h"
#include "shared/cp932.h"
#include "tests/component/qrcode_test_support.h"

#include <QClipboard>
#include <QGuiApplication>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace zarvo::component {
namespace {

using qrtest::EventLog;

// A clipboard that reports changes the way QClipboard does: synchronously, also for the
// program's own copies. Registration is never announced by itself; a test that plays a platform
// which announces it calls Notify() as that announcement.
class FakeClipboard : public Clipboard {
  public:
    explicit FakeClipboard(bool notifiesOnRegistration = false)
        : registrationNotice_(notifiesOnRegistration) {}

    std::optional<QString> Text() const override { return text; }
    void SetMimeData(std::unique_ptr<QMimeData> data) override {
        mime = std::move(data);
        text = mime->hasText() ? std::optional<QString>(mime->text()) : std::nullopt;
        owned = ownOwnCopies;
        Notify();
    }
    bool OwnsContent() const override { return owned; }
    void SetChangeHandler(std::function<void()> h) override { handler = std::move(h); }
    bool NotifiesOnRegistration() const override { return registrationNotice_; }

    // Another program puts text (or, with nothing, an image) on the clipboard.
    void OtherProgramCopies(std::optional<QString> newText) {
        text = std::move(newText);
        owned = false;
        Notify();
    }
    // Another part of this program copies text.
    void ProgramCopies(const QString& newText) {
        text = newText;
        owned = true;
        Notify();
    }
    void Notify() {
        if (handler) {
            const auto h = handler;
            h();
        }
    }
    bool Watched() const { return static_cast<bool>(handler); }

    std::optional<QString> text;
    std::unique_ptr<QMimeData> mime;
    bool owned = false;
    bool ownOwnCopies = true;
    std::function<void()> handler;

  private:
    bool registrationNotice_;
};

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

TEST(ClipboardTextToCode, CutsAtNulMakesCrLfAndConverts) {
    struct {
        QString text;
        std::string code;
    } cases[] = {
        {Utf8("abc"), "abc"},
        {Utf8("a\nb\n"), "a\r\nb\r\n"},
        {Utf8("a\r\nb"), "a\r\nb"},
        {Utf8("\n\r\n\r"), "\r\n\r\n\r"},
        {QString::fromUtf8("x\0y", 3), "x"},
        {Utf8("漢字～"), "\x8a\xbf\x8e\x9a\x81\x60"},
        {QString(), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(ClipboardTextToCode(c.text), c.code);
    }
    EXPECT_THROW(ClipboardTextToCode(Utf8("café")), zarvo::shared::TextError);
}

TEST(ClipboardWatch, TakesEveryNewTextWithWatchSet) {
    auto clipboard = std::make_shared<FakeClipboard>();
    clipboard->text = Utf8("already there");
    TQRCode q(clipboard);
    q.SetCode("START");
    std::vector<std::string> seen;
    const auto record = [&](const char* name) {
        return [&seen, name](TQRCode* s, bool watch) {
            EXPECT_EQ(watch, s->Watch());
            seen.push_back(std::string(name) + (watch ? "/watch " : " ") + s->Code());
        };
    };
    q.SetOnChangeCode(record("ChangeCode"));
    q.SetOnPaintSymbol(record("PaintSymbol"));
    q.SetOnPaintedSymbol(record("PaintedSymbol"));
    q.SetOnChangedCode(record("ChangedCode"));

    q.SetClipWatch(true); // Qt does not announce the registration: nothing is taken
    EXPECT_TRUE(clipboard->Watched());
    EXPECT_EQ(q.Code(), "START");
    EXPECT_TRUE(seen.empty());

    clipboard->OtherProgramCopies(Utf8("COPIED 漢字"));
    const std::string copied = "COPIED \x8a\xbf\x8e\x9a";
    EXPECT_EQ(q.Code(), copied);
    EXPECT_EQ(seen,
              (std::vector<std::string>{"ChangeCode/watch START", "PaintSymbol/watch " + copied,
                                        "PaintedSymbol/watch " + copied, "ChangedCode/watch " + copied}));
    EXPECT_FALSE(q.Watch());

    // An image (no text): nothing
    seen.clear();
    clipboard->OtherProgramCopies(std::nullopt);
    EXPECT_EQ(q.Code(), copied);
    EXPECT_TRUE(seen.empty());

    // A change made by the program itself is not new data
    clipboard->ProgramCopies(Utf8("from our own edit box"));
    EXPECT_EQ(q.Code(), copied);

    q.SetClipWatch(false);
    EXPECT_FALSE(clipboard->Watched());
    clipboard->OtherProgramCopies(Utf8("later"));
    EXPECT_EQ(q.Code(), copied);
}

TEST(ClipboardWatch, SkipsTheAnnouncementOfTheRegistrationWhereThereIsOne) {
    auto clipboard = std::make_shared<FakeClipboard>(true);
    clipboard->text = Utf8("already there");
    TQRCode q(clipboard);

    q.SetClipWatch(true);
    clipboard->Notify(); // the platform announces the registration
    EXPECT_EQ(q.Code(), "");
    clipboard->OtherProgramCopies(Utf8("one"));
    EXPECT_EQ(q.Code(), "one");

    // off and on again arms the skip again
    q.SetClipWatch(false);
    q.SetClipWatch(true);
    clipboard->Notify();
    EXPECT_EQ(q.Code(), "one");
    clipboard->OtherProgramCopies(Utf8("two"));
    EXPECT_EQ(q.Code(), "two");

    // true over true clears an armed skip: the next notice is taken
    q.SetClipWatch(false);
    clipboard->text = Utf8("three");
    q.SetClipWatch(true);
    q.SetClipWatch(true);
    clipboard->Notify();
    EXPECT_EQ(q.Code(), "three");
}

// Counts the pastes the watch starts.
class CountingQRCode : public TQRCode {
  public:
    using TQRCode::TQRCode;
    void PasteFromClipboard() override {
        ++pastes;
        TQRCode::PasteFromClipboard();
    }
    int pastes = 0;
};

TEST(ClipboardWatch, IgnoresTheComponentsOwnCopies) {
    for (bool reportsOwnership : {true, false}) {
        SCOPED_TRACE(reportsOwnership ? "the clipboard knows the owner" : "it does not");
        auto clipboard = std::make_shared<FakeClipboard>();
        clipboard->ownOwnCopies = reportsOwnership;
        CountingQRCode q(clipboard);
        q.SetCode("MINE");
        q.SetClipWatch(true);
        q.CopyToClipboard();
        ASSERT_NE(clipboard->mime, nullptr);
        EXPECT_EQ(q.pastes, 0);
        clipboard->OtherProgramCopies(Utf8("THEIRS"));
        EXPECT_EQ(q.pastes, 1);
        EXPECT_EQ(q.Code(), "THEIRS");
    }
}

TEST(ClipboardWatch, RefusesTextShiftJisCannotHold) {
    auto clipboard = std::make_shared<FakeClipboard>();
    TQRCode q(clipboard);
    q.SetCode("KEPT");
    std::vector<QString> refusals;
    int errors = 0;
    q.SetOnClipboardRefused([&](TQRCode*, const QString& reason) { refusals.push_back(reason); });
    q.SetErrorReport([&](const std::exception&) { ++errors; });
    EventLog log;
    log.Attach(q);
    q.SetClipWatch(true);

    EXPECT_NO_THROW(clipboard->OtherProgramCopies(Utf8("café")));
    EXPECT_EQ(q.Code(), "KEPT");
    EXPECT_TRUE(log.events.empty());
    ASSERT_EQ(refusals.size(), 1u);
    EXPECT_EQ(refusals[0], Utf8("\"é\" (U+00E9) cannot be written in Shift-JIS (CP932)"));
    EXPECT_EQ(q.LastClipboardError(), refusals[0]);
    EXPECT_EQ(errors, 0);
    EXPECT_FALSE(q.Watch());

    clipboard->OtherProgramCopies(Utf8("fine"));
    EXPECT_EQ(q.Code(), "fine");
    EXPECT_TRUE(q.LastClipboardError().isEmpty());
}

TEST(ClipboardWatch, ErrorsGoToTheReportAndWatchIsClearedAnyway) {
    auto clipboard = std::make_shared<FakeClipboard>();
    TQRCode q(clipboard);
    std::vector<std::string> reported;
    q.SetErrorReport([&](const std::exception& e) { reported.push_back(e.what()); });
    bool fail = true;
    q.SetOnChangedCode([&](TQRCode* s, bool watch) {
        EXPECT_TRUE(watch);
        EXPECT_TRUE(s->Watch());
        if (fail)
            throw std::runtime_error("handler failed");
    });
    q.SetClipWatch(true);

    EXPECT_NO_THROW(clipboard->OtherProgramCopies(Utf8("first")));
    EXPECT_EQ(reported, std::vector<std::string>{"handler failed"});
    EXPECT_FALSE(q.Watch());
    EXPECT_EQ(q.Code(), "first");

    fail = false;
    clipboard->OtherProgramCopies(Utf8("second"));
    EXPECT_EQ(q.Code(), "second");
    EXPECT_EQ(reported.size(), 1u);
    EXPECT_FALSE(q.Watch());
}

TEST(ClipboardWatch, AHoldTakesOnlyTheLatestChangeWhenItsLastReleaseComes) {
    // cases: what happens while held, and what the release takes
    const struct {
        const char* what;
        std::function<void(FakeClipboard&, TQRCode&)> whileHeld;
        std::string after;
        int changes;
    } cases[] = {
        {"nothing copied", [](FakeClipboard&, TQRCode&) {}, "START", 0},
        {"two copies: the later one",
         [](FakeClipboard& c, TQRCode&) {
             c.OtherProgramCopies(Utf8("one"));
             c.OtherProgramCopies(Utf8("two"));
         },
         "two", 1},
        {"the program's own copy last",
         [](FakeClipboard& c, TQRCode&) {
             c.OtherProgramCopies(Utf8("one"));
             c.ProgramCopies(Utf8("ours"));
         },
         "START", 0},
        {"the watch switched off meanwhile",
         [](FakeClipboard& c, TQRCode& q) {
             c.OtherProgramCopies(Utf8("one"));
             q.SetClipWatch(false);
         },
         "START", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto clipboard = std::make_shared<FakeClipboard>();
        TQRCode q(clipboard);
        q.SetCode("START");
        int changes = 0;
        q.SetOnChangedCode([&](TQRCode*, bool watch) { changes += watch; });
        q.SetClipWatch(true);
        {
            const WatchHold outer(q);
            {
                const WatchHold inner(q); // holds nest: the inner release takes nothing
                c.whileHeld(*clipboard, q);
            }
            QCoreApplication::processEvents();
            EXPECT_EQ(q.Code(), "START");
            EXPECT_TRUE(q.WatchHeld());
        }
        EXPECT_FALSE(q.WatchHeld());
        EXPECT_EQ(q.Code(), "START"); // not under the code that held it: from the event loop
        QCoreApplication::processEvents();
        EXPECT_EQ(q.Code(), c.after);
        EXPECT_EQ(changes, c.changes);
    }
}

TEST(ClipboardWatch, AChangeWhileOneIsTakenWaitsForItAndComesAfter) {
    // the host shows a box while it takes a change (a hold of its own); a copy made meanwhile
    // is taken after the first change is done, not inside it
    auto clipboard = std::make_shared<FakeClipboard>();
    TQRCode q(clipboard);
    std::vector<std::string> taken;
    q.SetOnChangedCode([&](TQRCode* s, bool) {
        taken.push_back(s->Code());
        if (taken.size() == 1) {
            const WatchHold box(q);
            clipboard->OtherProgramCopies(Utf8("during"));
            EXPECT_EQ(taken.size(), 1u);
        }
    });
    q.SetClipWatch(true);
    clipboard->OtherProgramCopies(Utf8("first"));
    EXPECT_EQ(taken, (std::vector<std::string>{"first"}));
    QCoreApplication::processEvents();
    EXPECT_EQ(taken, (std::vector<std::string>{"first", "during"}));

    // a change still waiting when the component goes is dropped with it
    {
        TQRCode gone(clipboard);
        gone.SetClipWatch(true);
        gone.HoldWatch();
        clipboard->OtherProgramCopies(Utf8("late"));
        gone.ReleaseWatch();
    }
    QCoreApplication::processEvents(); // nothing left to run on the component
}

TEST(ClipboardWatch, FollowsTheHandlerAndTheComponentsLife) {
    auto clipboard = std::make_shared<FakeClipboard>();
    {
        TQRCode q(clipboard);
        q.SetClipWatch(true);
        EXPECT_TRUE(clipboard->Watched());
        q.SetClipboardChangeHandler({}); // no handler: no watch
        EXPECT_FALSE(clipboard->Watched());
        int calls = 0;
        q.SetClipboardChangeHandler([&](TQRCode* sender) {
            EXPECT_EQ(sender, &q);
            ++calls;
        });
        EXPECT_TRUE(clipboard->Watched());
        clipboard->OtherProgramCopies(Utf8("x"));
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(q.Code(), ""); // the replaced handler took nothing
    }
    EXPECT_FALSE(clipboard->Watched()); // destruction leaves the watch
}

TEST(PasteFromClipboard, SetsCodeFromText) {
    auto clipboard = std::make_shared<FakeClipboard>();
    TQRCode q(clipboard);
    EventLog log;
    log.Attach(q);
    clipboard->text = Utf8("line 1\nline 2");
    q.PasteFromClipboard();
    EXPECT_EQ(q.Code(), "line 1\r\nline 2");
    EXPECT_EQ(log.events,
              (std::vector<std::string>{"ChangeCode", "PaintSymbol", "PaintedSymbol", "ChangedCode"}));

    clipboard->text = std::nullopt;
    q.PasteFromClipboard();
    EXPECT_EQ(q.Code(), "line 1\r\nline 2");

    clipboard->text = Utf8("😀");
    EXPECT_THROW(q.PasteFromClipboard(), zarvo::shared::TextError);
    EXPECT_EQ(q.Code(), "line 1\r\nline 2");
}

std::vector<std::string> Formats(const QMimeData& mime) {
    std::vector<std::string> formats;
    for (const QString& f : mime.formats())
        formats.push_back(f.toStdString());
    std::sort(formats.begin(), formats.end());
    return formats;
}

std::vector<uint8_t> Bytes(const QMimeData& mime, const char* format) {
    const QByteArray data = mime.data(QString::fromLatin1(format));
    return std::vector<uint8_t>(data.begin(), data.end());
}

const char kEmfType[] = "application/x-openoffice-emf;windows_formatname=\"Image EMF\"";
const char kWmfType[] = "application/x-openoffice-wmf;windows_formatname=\"Image WMF\"";

TEST(CopyToClipboard, OffersThePictureInItsFormats) {
    auto clipboard = std::make_shared<FakeClipboard>();
    TQRCode q(clipboard);
    q.SetSymbolEnabled(false);
    q.SetCode("COPY");
    q.SetPxmag(3);
    q.SetMatch(true);
    q.SetSymbolEnabled(true);

    q.CopyToClipboard();
    ASSERT_NE(clipboard->mime, nullptr);
    EXPECT_EQ(Formats(*clipboard->mime), (std::vector<std::string>{"image/bmp", "image/png"}));
    const Bitmap& bitmap = qrtest::BitmapOf(q);
    EXPECT_EQ(Bytes(*clipboard->mime, "image/bmp"), EncodeBmp(bitmap));
    const QImage png = QImage::fromData(clipboard->mime->data(QStringLiteral("image/png")), "PNG");
    EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32), bitmap.ToImage());
    EXPECT_EQ(qrtest::Decode(png), "COPY");

    for (TPictures picture : {picEMF, picWMF}) {
        SCOPED_TRACE(picture);
        q.SetSymbolPicture(picture);
        q.CopyToClipboard();
        const auto* metafile = std::get_if<Metafile>(&q.Picture());
        ASSERT_NE(metafile, nullptr);
        const bool wmf = picture == picWMF;
        std::vector<std::string> expected = {wmf ? kWmfType : kEmfType, wmf ? "image/x-wmf" : "image/x-emf",
                                             "image/png"};
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(Formats(*clipboard->mime), expected);
        const std::vector<uint8_t> file = wmf ? WriteWmf(*metafile) : WriteEmf(*metafile);
        EXPECT_EQ(Bytes(*clipboard->mime, wmf ? kWmfType : kEmfType), file);
        EXPECT_EQ(Bytes(*clipboard->mime, wmf ? "image/x-wmf" : "image/x-emf"), file);
        EXPECT_EQ(qrtest::Decode(QImage::fromData(clipboard->mime->data(QStringLiteral("image/png")), "PNG")),
                  "COPY");
    }
}

TEST(CopyToClipboard, ASymbolNotShownGoesAsWhateverThePictureHolds) {
    auto clipboard = std::make_shared<FakeClipboard>();
    TQRCode q(clipboard);
    q.SetSymbolEnabled(false);
    q.SetCode(std::string(30, '1') + std::string(30, 'a')); // the second piece does not fit
    q.SetCount(2);
    q.SetMatch(true);
    q.SetSymbolPicture(picWMF);
    q.SetSymbolEnabled(true);
    ASSERT_FALSE(q.SymbolDisped());
    ASSERT_TRUE(std::holds_alternative<Metafile>(q.Picture()));
    q.CopyToClipboard(); // the metafile in its own format, not as WMF
    std::vector<std::string> expected = {kEmfType, "image/x-emf", "image/png"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Formats(*clipboard->mime), expected);

    q.SetCode(std::string(60, 'a')); // not even the first piece: the prepared bitmap
    ASSERT_TRUE(std::holds_alternative<Bitmap>(q.Picture()));
    q.CopyToClipboard();
    EXPECT_EQ(Formats(*clipboard->mime), (std::vector<std::string>{"image/bmp", "image/png"}));

    q.ClearSymbol();
    q.CopyToClipboard();
    EXPECT_TRUE(Formats(*clipboard->mime).empty());
}

// The system clipboard on the offscreen platform: text in, our own copies recognised.
TEST(QtClipboard, ReadsTextAndKnowsItsOwnCopies) {
    QClipboard* system = QGuiApplication::clipboard();
    QtClipboard clipboard;
    int changes = 0;
    clipboard.SetChangeHandler([&] { ++changes; });
    system->setText(Utf8("系统 text"));
    ASSERT_TRUE(clipboard.Text().has_value());
    EXPECT_EQ(*clipboard.Text(), Utf8("系统 text"));
    EXPECT_GE(changes, 1);

    bool ownedWhileNotified = false;
    clipboard.SetChangeHandler([&] { ownedWhileNotified = clipboard.OwnsContent(); });
    auto mime = std::make_unique<QMimeData>();
    mime->setData(QStringLiteral("image/png"), QByteArray("png"));
    clipboard.SetMimeData(std::move(mime));
    EXPECT_TRUE(ownedWhileNotified);
    EXPECT_FALSE(clipboard.Text().has_value());
    clipboard.SetChangeHandler({});
}

} // namespace
} // namespace zarvo::component
