// Faults from outside while the window runs: a program directory that refuses writes, the
// session's end and SIGTERM, a save cut off at the last close, data of megabytes, and copied text
// the symbol cannot take.
#include "app/termination.h"
#include "datalist/datalistfiles.h"
#include "shared/setjournal.h"
#include "tests/app/frame_test_support.h"
#include "tests/support/in_child.h"

#include <QCursor>
#include <QStyledItemDelegate>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>

namespace frametest {
namespace {

using Failures = FrameTest;
using zarvo::datalist::DataList;

// A directory that refuses every write while this lives: mode 0555 and, for root, whom modes do
// not stop, a read-only bind mount of it that this thread alone sees (a mount namespace of its
// own; the window writes from this thread).
class ReadOnlyDirectory {
  public:
    explicit ReadOnlyDirectory(const QString& dir) : path_(QFile::encodeName(dir).toStdString()) {
        ::chmod(path_.c_str(), 0555);
        if (::geteuid() != 0)
            return;
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount(path_.c_str(), path_.c_str(), nullptr, MS_BIND, nullptr) != 0) {
            refusal_ = std::strerror(errno);
            return;
        }
        mounted_ = true;
        if (::mount(nullptr, path_.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
            refusal_ = std::strerror(errno);
    }
    ~ReadOnlyDirectory() {
        if (mounted_)
            ::umount2(path_.c_str(), MNT_DETACH);
        ::chmod(path_.c_str(), 0755);
    }
    ReadOnlyDirectory(const ReadOnlyDirectory&) = delete;
    ReadOnlyDirectory& operator=(const ReadOnlyDirectory&) = delete;
    // Empty when writes are refused; else why root could not be stopped.
    const std::string& Refusal() const { return refusal_; }
    // What a write there is told.
    static QString Reason() {
        return QString::fromLocal8Bit(std::strerror(::geteuid() == 0 ? EROFS : EACCES));
    }

  private:
    std::string path_;
    std::string refusal_;
    bool mounted_ = false;
};

TEST_F(Failures, AReadOnlyDirectoryKeepsFilesAndWindowUntilTheUserDecides) {
    Start();
    AddItem(U("first"));
    ASSERT_TRUE(Close());
    const std::vector<const char*> names = {"Zarvo.dat", "ZarvoUp.txt", "ZarvoDn.txt", "zarvo.ini"};
    std::vector<std::string> before;
    for (const char* name : names)
        before.push_back(ReadBytes(Path(name)));
    const auto expectUnchanged = [&] {
        for (size_t i = 0; i < names.size(); ++i)
            EXPECT_EQ(ReadBytes(Path(names[i])), before[i]) << names[i];
    };

    Start();
    AddItem(U("second"));
    EnterNumber("Edit2", 5);
    {
        const ReadOnlyDirectory readOnly(dir.path());
        if (!readOnly.Refusal().empty())
            GTEST_SKIP() << "root's writes cannot be refused here: " << readOnly.Refusal();
        dialogs.askAnswer = false;
        EXPECT_FALSE(Close());
        ASSERT_EQ(dialogs.shown.size(), 1u);
        const QString& told = dialogs.shown[0];
        // which files, and why
        EXPECT_TRUE(told.contains(U("データリストを保存できません"))) << told.toStdString();
        EXPECT_TRUE(told.contains(QStringLiteral("zarvo.ini"))) << told.toStdString();
        EXPECT_EQ(told.count(ReadOnlyDirectory::Reason()), 2) << told.toStdString();
        expectUnchanged();
        EXPECT_TRUE(form->isVisible());
    }
    // the user made the directory writable and closes again: nothing was lost meanwhile
    ASSERT_TRUE(Close());
    Start();
    EXPECT_EQ(Items("ComboBox1"), (std::vector<QString>{U("first"), U("second")}));
    EXPECT_EQ(form->QRCode1().Version(), 5);
    for (size_t i = 0; i < names.size(); ++i)
        before[i] = ReadBytes(Path(names[i]));

    // or the user closes without saving
    AddItem(U("third"));
    const ReadOnlyDirectory readOnly(dir.path());
    dialogs.askAnswer = true;
    EXPECT_TRUE(Close());
    expectUnchanged();
}

// The session's end (commitDataRequest) and SIGTERM: no box can be answered then.
TEST_F(Failures, SavingWithoutQuestionsWritesWhatItCanAndAsksNothing) {
    Start();
    AddItem(U("typed"));
    EnterNumber("Edit2", 4);
    EXPECT_TRUE(form->SaveWithoutQuestions().isEmpty());
    EXPECT_TRUE(form->isVisible()); // the session may yet go on
    const std::string dirBytes = QFile::encodeName(dir.path()).toStdString();
    EXPECT_EQ(zarvo::datalist::LoadDataListFiles(dirBytes).List.Codes(), std::vector<std::string>{"typed"});
    EXPECT_NE(Ini().find("\r\n" + S("バージョン") + "=4\r\n"), std::string::npos);

    // the lower comments' file cannot be replaced: the settings are written, the list set stays
    const std::string datBefore = ReadBytes(Path("Zarvo.dat"));
    QFile::remove(Path("ZarvoDn.txt"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("ZarvoDn.txt")));
    AddItem(U("later"));
    EnterNumber("Edit2", 6);
    const QStringList failures = form->CloseWithoutQuestions();
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains(QStringLiteral("ZarvoDn.txt"))) << failures[0].toStdString();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(ReadBytes(Path("Zarvo.dat")), datBefore);
    EXPECT_NE(Ini().find("\r\n" + S("バージョン") + "=6\r\n"), std::string::npos);
}

TEST(TerminationWatch, SigtermBecomesARequestOnTheEventLoop) {
    int requests = 0;
    {
        zarvo::app::TerminationWatch watch([&requests] { ++requests; });
        ASSERT_EQ(::raise(SIGTERM), 0);
        ASSERT_EQ(::raise(SIGTERM), 0);
        EXPECT_EQ(requests, 0); // not inside the handler
        EXPECT_TRUE(QTest::qWaitFor([&] { return requests > 0; }));
        QTest::qWait(20);
        EXPECT_EQ(requests, 1); // two before the loop came round are one
        ASSERT_EQ(::raise(SIGTERM), 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return requests == 2; }));
    }
    struct sigaction after {};
    ::sigaction(SIGTERM, nullptr, &after);
    EXPECT_EQ(after.sa_handler, SIG_DFL);
}

// The last close was killed after it had decided on its set; the start completes it, or, when a
// new file of it is lost, undoes it and says so.
TEST_F(Failures, AStartSaysWhenItUndidASaveThatWasCutOff) {
    const std::string dirBytes = QFile::encodeName(dir.path()).toStdString();
    const struct {
        const char* what;
        bool loseANewFile;
        const char* shown; // the item the start shows
    } cases[] = {{"completed", false, "new"}, {"undone", true, "old"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DataList old, newer;
        old.Append("old", "", "");
        newer.Append("new", "", "");
        zarvo::datalist::SaveDataListFiles(dirBytes, old);
        zarvo::shared::SetHooks killed;
        killed.reached = [](const std::string& point) {
            if (point == "journal in place")
                ::raise(SIGKILL);
        };
        ASSERT_TRUE(zarvo::testsupport::KilledInChild(
            [&] { zarvo::datalist::SaveDataListFiles(dirBytes, newer, killed); }));
        if (c.loseANewFile) {
            std::vector<zarvo::shared::JournalMember> members;
            ASSERT_TRUE(zarvo::shared::ParseJournal(ReadBytes(Path(".Zarvo.journal")), members));
            ASSERT_EQ(::unlink(members.back().temporary.c_str()), 0);
        }
        dialogs.shown.clear();
        Start();
        EXPECT_EQ(Items("ComboBox1"), std::vector<QString>{U(c.shown)});
        if (c.loseANewFile) {
            ASSERT_EQ(dialogs.shown.size(), 1u);
            EXPECT_TRUE(dialogs.shown[0].contains(U("中断"))) << dialogs.shown[0].toStdString();
        } else {
            EXPECT_TRUE(dialogs.shown.empty());
        }
        ASSERT_TRUE(Close());
    }
}

// Laid out whole, an entry of megabytes took a minute each time the list dropped down.
int EntryWidth(QComboBox* box, int row) {
    QStyleOptionViewItem option;
    option.initFrom(box->view());
    return box->view()->itemDelegate()->sizeHint(option, box->model()->index(row, 0)).width();
}

// A settings file edited by hand or by another program may hold any number for any key: the window
// must start on it, draw, and leave a file that starts without a word.
TEST_F(Failures, AnyNumberForAnyKeyStartsAWindowThatDraws) {
    Start();
    AddItem(U("kept"));
    ASSERT_TRUE(Close());
    const std::string good = Ini();
    const char* const keys[] = {"バージョン", "倍率", "表示形式", "誤り訂正レベル", "符号化モード",
                                "マスクパターン", "上の余白", "右の余白", "コピー方法", "印刷の個数",
                                "印刷の倍率", "シンボルの色", "印刷時の行間隔", "印刷時の列間隔",
                                "分割表示する場合のモード", "分割表示する場合の個数",
                                "分割表示する場合の行当り個数", "FontSize", "FontColor",
                                "WindowState", "シンボル文字列", "ソート条件", "ソート方向",
                                "Left", "Top", "Width", "Height"};
    for (const char* key : keys) {
        for (const char* value : {"-2147483648", "-1", "2147483647"}) {
            WriteBytes(Path("zarvo.ini"), good);
            zarvo::param::TParameter ini;
            ini.Open(QFile::encodeName(Path("zarvo")).toStdString());
            ini.WriteString(S(key), value);
            ini.Save();
            for (int run = 0; run < 2; ++run) { // on the edited file, then on what its close wrote
                dialogs.shown.clear();
                Start();
                EXPECT_TRUE(dialogs.shown.empty()) << key << "=" << value << " run " << run;
                EXPECT_TRUE(form->QRCode1().SymbolDisped()) << key << "=" << value << " run " << run;
                EXPECT_EQ(form->QRCode1().Code(), "kept") << key << "=" << value;
                ASSERT_TRUE(Close()) << key << "=" << value;
            }
        }
    }
}

TEST_F(Failures, ADataFileOfMegabytesOpensBusyAndSaysItDoesNotFit) {
    Start();
    form->resize(1000, 700);
    std::string bytes;
    for (int line = 0; line < 4 * 1024 * 1024 / 64; ++line)
        bytes += std::string(62, static_cast<char>('a' + line % 26)) + "\r\n";
    WriteBytes(Path("big.txt"), bytes);
    dialogs.nextPaths.push_back(Path("big.txt"));
    std::optional<Qt::CursorShape> cursorWhileShown;
    QObject::connect(Find<QPlainTextEdit>("Memo1"), &QPlainTextEdit::textChanged, form.get(), [&] {
        if (const QCursor* c = QApplication::overrideCursor())
            cursorWhileShown = c->shape();
    });
    Click("Button14");
    EXPECT_EQ(cursorWhileShown, Qt::WaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(form->QRCode1().Len(), static_cast<int64_t>(bytes.size()));
    EXPECT_EQ(Text("Label10"), U("big.txt %1 Bytes").arg(bytes.size()));
    EXPECT_EQ(Text("Panel5"), U("表示出来ません。"));
    EXPECT_EQ(Text("Panel4"), QStringLiteral("0\u00D70"));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(Failures, CopiedTextIsRefusedWhenShiftJisCannotHoldItAndTakenAtTenMegabytes) {
    Start();
    AddItem(U("A"));
    QTest::mouseClick(Find<QCheckBox>("CheckBox3"), Qt::LeftButton);
    clipboard->OtherProgramCopies(U("caf\u00E9 au lait")); // é has no Shift-JIS code
    EXPECT_EQ(Text("Panel5"), U("取り込めません。"));
    EXPECT_EQ(form->List().Count(), 1);
    EXPECT_EQ(form->QRCode1().Code(), "A");

    QString big;
    big.reserve(10 << 20);
    while (big.size() < (10 << 20) - 64)
        big += QString(63, QLatin1Char(static_cast<char>('a' + big.size() % 26))) + QLatin1Char('\n');
    clipboard->OtherProgramCopies(big);
    ASSERT_EQ(form->List().Count(), 2);
    // each line break becomes CR LF
    const int64_t bytes = big.size() + big.count(QLatin1Char('\n'));
    EXPECT_EQ(form->QRCode1().Len(), bytes);
    EXPECT_EQ(Text("Panel5"), U("表示出来ません。"));
    QComboBox* box = Find<QComboBox>("ComboBox1");
    EXPECT_LT(EntryWidth(box, 1), 3000);
    Pick("ComboBox1", 0);
    EXPECT_EQ(form->QRCode1().Code(), "A");
    EXPECT_TRUE(dialogs.shown.empty());
    ASSERT_TRUE(Close());
    const DataList saved =
        zarvo::datalist::LoadDataListFiles(QFile::encodeName(dir.path()).toStdString()).List;
    ASSERT_EQ(saved.Count(), 2);
    EXPECT_EQ(static_cast<int64_t>(saved.Code(1).size()), bytes);
}

} // namespace
} // namespace frametest
