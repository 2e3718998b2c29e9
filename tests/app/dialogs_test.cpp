// The real file dialogs of the Dialogs seam as a user answers them: the entry chosen, the name
// proposed, the extension a typed name gets, and every file listed for "*.*".
#include "shared/dialogs.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

namespace zarvo::shared {
namespace {

const QString kSaveFilter =
    QString::fromUtf8("ビットマップ(*.bmp)|*.bmp|EMF(Win32 エンハンスドメタファイル)(*.emf)|*.emf|"
                      "WMF(Win16 形式メタファイル)(*.wmf)|*.wmf|全てのファイル(*.*)|*.*");

// Runs user once a dialog of the given type is the modal window on top.
template <typename Dialog> void WhenShown(std::function<void(Dialog&)> user) {
    QTimer::singleShot(10, [user] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog || !QTest::qWaitForWindowExposed(dialog)) {
            WhenShown(user);
            return;
        }
        static_cast<void>(QTest::qWaitForWindowActive(dialog, 1000));
        user(*dialog);
    });
}

// Types over the proposed name and confirms, with keys sent to the dialog's window.
void TypeName(QFileDialog& dialog, const QString& name) {
    QWindow* window = dialog.windowHandle();
    QTest::keyClick(window, Qt::Key_A, Qt::ControlModifier);
    for (QChar c : name)
        QTest::keyClick(window, c.toLatin1());
    QTest::keyClick(window, Qt::Key_Return);
}

TEST(FileDialogs, ATypedNameGetsTheExtensionOfTheEntryChosen) {
    QTemporaryDir dir;
    const struct {
        int entry;
        int picked; // the entry the user chooses in the dialog; 0: none
        const char* defaultExtension;
        const char* typed;
        const char* saved;
    } cases[] = {
        {2, 0, "bmp", "symbol", "symbol.emf"},
        {4, 0, "bmp", "symbol", "symbol.bmp"},
        {4, 0, "", "data", "data"},
        {1, 0, "bmp", "x.png", "x.png"},
        {1, 3, "bmp", "symbol", "symbol.wmf"},
    };
    for (const auto& c : cases) {
        FileDialogRequest request;
        request.Filter = kSaveFilter;
        request.FilterIndex = c.entry;
        request.DefaultExtension = QString::fromLatin1(c.defaultExtension);
        request.Directory = dir.path();
        request.FileName = QStringLiteral("Zarvo.emf");
        request.OverwritePrompt = true;
        QString shown, proposed;
        WhenShown<QFileDialog>([&](QFileDialog& dialog) {
            shown = dialog.selectedNameFilter();
            auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            proposed = name->text();
            if (c.picked) {
                auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
                types->setFocus(Qt::MouseFocusReason);
                QTest::keyClick(dialog.windowHandle(), Qt::Key_F4);
                EXPECT_TRUE(QTest::qWaitFor([types] { return types->view()->isVisible(); }));
                QTest::keyClick(dialog.windowHandle(), Qt::Key_Home);
                for (int i = 1; i < c.picked; ++i)
                    QTest::keyClick(dialog.windowHandle(), Qt::Key_Down);
                QTest::keyClick(dialog.windowHandle(), Qt::Key_Return);
                QTest::mouseClick(name, Qt::LeftButton);
            }
            TypeName(dialog, QString::fromLatin1(c.typed));
        });
        const std::optional<FileDialogChoice> chosen = QtDialogs().SaveFile(nullptr, request);
        ASSERT_TRUE(chosen) << c.typed;
        EXPECT_EQ(chosen->Path, dir.filePath(QString::fromLatin1(c.saved))) << c.entry;
        EXPECT_EQ(chosen->FilterIndex, c.picked ? c.picked : c.entry);
        EXPECT_TRUE(shown.startsWith(kSaveFilter.split(QLatin1Char('|'))[2 * (c.entry - 1)])) << c.entry;
        EXPECT_EQ(proposed, QStringLiteral("Zarvo.emf"));
    }
}

TEST(FileDialogs, AllFilesListsNamesWithoutAnExtension) {
    QTemporaryDir dir;
    QFile(dir.filePath(QStringLiteral("README"))).open(QIODevice::WriteOnly);
    FileDialogRequest request;
    request.Filter = QString::fromUtf8("全てのファイル(*.*)|*.*");
    request.Directory = dir.path();
    bool listed = false;
    WhenShown<QFileDialog>([&](QFileDialog& dialog) {
        auto* view = dialog.findChild<QAbstractItemView*>(QStringLiteral("listView"));
        listed = QTest::qWaitFor([view] {
            const QModelIndex root = view->rootIndex();
            for (int row = 0; row < view->model()->rowCount(root); ++row)
                if (view->model()->index(row, 0, root).data().toString() == QStringLiteral("README"))
                    return true;
            return false;
        });
        TypeName(dialog, QStringLiteral("README"));
    });
    const std::optional<FileDialogChoice> chosen = QtDialogs().OpenFile(nullptr, request);
    EXPECT_TRUE(listed);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->Path, dir.filePath(QStringLiteral("README")));
}

TEST(InputBox, GivesTheTextTypedOverThePresetOrNothingWhenCancelled) {
    const struct {
        const char* typed;
        Qt::Key key;
        std::optional<QString> answer;
    } cases[] = {{"new", Qt::Key_Return, QStringLiteral("new")}, {"new", Qt::Key_Escape, std::nullopt}};
    for (const auto& c : cases) {
        QString caption, prompt, preset;
        WhenShown<QInputDialog>([&](QInputDialog& box) {
            caption = box.windowTitle();
            prompt = box.labelText();
            preset = box.textValue();
            QWindow* window = box.windowHandle();
            QTest::keyClick(window, Qt::Key_A, Qt::ControlModifier);
            for (const char* p = c.typed; *p; ++p)
                QTest::keyClick(window, *p);
            QTest::keyClick(window, c.key);
        });
        QtDialogs dialogs;
        EXPECT_EQ(dialogs.InputQuery(nullptr, QString::fromUtf8("検索文字列の入力"), QStringLiteral("prompt"),
                                     QStringLiteral("old")),
                  c.answer);
        EXPECT_EQ(caption, QString::fromUtf8("検索文字列の入力"));
        EXPECT_EQ(prompt, QStringLiteral("prompt"));
        EXPECT_EQ(preset, QStringLiteral("old"));
    }
}

} // namespace
} // namespace zarvo::shared
