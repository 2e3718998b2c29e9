// A main window over a temporary program directory, with scripted dialogs and a fake clipboard,
// driven through its controls as a user drives it.
#pragma once

#include "app/frame.h"
#include "component/clipboard.h"
#include "shared/cp932.h"
#include "shared/dialogs.h"
#include "shared/updown.h"
#include "tests/printing/recordingdevice.h"
#include "tests/support/modal.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/text.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <deque>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace frametest {

using zarvo::app::TFrameForm;
using zarvo::app::TUpDown;

using zarvo::testsupport::S;
using zarvo::testsupport::U;

using ScriptedDialogs = zarvo::testsupport::ScriptedDialogs;
using FakeClipboard = zarvo::testsupport::FakeClipboard;
using printingtest::RecordingDevice;
using zarvo::testsupport::WithModal;

inline std::string ReadBytes(const QString& path) {
    std::ifstream in(QFile::encodeName(path).toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const QString& path, const std::string& bytes) {
    std::ofstream out(QFile::encodeName(path).toStdString(), std::ios::binary);
    out << bytes;
}

// A program directory that lives as long as the fixture; windows started on it one after the
// other see each other's files, as runs of the program do. The printer records what is printed.
//
// Every event goes the way the window system sends it: the window is active, a control gets the
// focus as a click gives it, keys go to the top-level window (so that focus proxies, filters and
// shortcuts act as for a user), and list entries are chosen in the dropped-down list.
class FrameTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    std::shared_ptr<FakeClipboard> clipboard = std::make_shared<FakeClipboard>();
    std::shared_ptr<RecordingDevice> printer = std::make_shared<RecordingDevice>();
    std::unique_ptr<TFrameForm> form;

    QString Path(const char* name) const { return dir.path() + QLatin1Char('/') + QString::fromLatin1(name); }
    std::string Ini() const { return ReadBytes(Path("zarvo.ini")); }

    // The window of a run of the program, not shown yet.
    TFrameForm& Create() {
        zarvo::app::FrameEnvironment env;
        env.ProgramDir = QFile::encodeName(dir.path()).toStdString();
        env.ExeName = env.ProgramDir + "/zarvo";
        env.dialogs = &dialogs;
        env.clipboard = clipboard;
        env.printer = printer;
        form = std::make_unique<TFrameForm>(env);
        return *form;
    }
    // Shows the window, which runs its start-up, and waits until it is the active window.
    void Show() {
        form->show();
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        EXPECT_TRUE(form->Started());
    }
    // Starts the program.
    TFrameForm& Start() {
        Create();
        Show();
        return *form;
    }
    // Closes the window with its exit button; true when it closed.
    bool Close() {
        Click("Button6");
        const bool closed = !form->isVisible();
        if (closed)
            form.reset();
        return closed;
    }

    template <typename T> T* Find(const char* name) const {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    // A key pressed and released, delivered to the window.
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(form->windowHandle(), key, modifiers);
    }
    // Gives a control the focus as a click on it does: edit fields (those of editable lists
    // too) are clicked; a closed list or a check box takes the focus of the click.
    void FocusOn(QWidget* control) {
        QWidget* target = control;
        if (auto* box = qobject_cast<QComboBox*>(control); box && box->isEditable())
            target = box->lineEdit();
        if (qobject_cast<QLineEdit*>(target))
            QTest::mouseClick(target, Qt::LeftButton);
        else
            control->setFocus(Qt::MouseFocusReason);
        EXPECT_TRUE(control->hasFocus()) << control->objectName().toStdString();
    }
    void FocusOn(const char* name) { FocusOn(Find<QWidget>(name)); }
    // Types text (any script) into an edit field or an editable list, replacing what it shows.
    void Type(QWidget* control, const QString& text) {
        FocusOn(control);
        Key(Qt::Key_A, Qt::ControlModifier);
        Key(Qt::Key_Backspace);
        Keys(text);
    }
    // Types text where the focus is; a line break is the Return key.
    void Keys(const QString& text) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] == QLatin1Char('\n')) {
                Key(Qt::Key_Return);
                continue;
            }
            const QChar ch = text[i];
            if (ch.unicode() > 0x20 && ch.unicode() < 0x7F) {
                QTest::keyClick(form->windowHandle(), ch.toLatin1());
                continue;
            }
            // one character as an input method commits it; a surrogate pair stays together
            const qsizetype n = ch.isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            QTest::sendKeyEvent(QTest::Click, form->windowHandle(), Qt::Key_unknown, text.mid(i, n),
                                Qt::NoModifier);
            i += n - 1;
        }
    }
    void TypeInto(const char* box, const QString& text) { Type(Find<QWidget>(box), text); }
    // Return in a control (the keypad's Enter with keypad).
    void Enter(const char* control, bool keypad = false) {
        QWidget* w = Find<QWidget>(control);
        if (!w->hasFocus())
            FocusOn(w);
        Key(keypad ? Qt::Key_Enter : Qt::Key_Return, keypad ? Qt::KeypadModifier : Qt::NoModifier);
    }
    // Types a number into an edit box and presses Return.
    void EnterNumber(const char* edit, int value) {
        TypeInto(edit, QString::number(value));
        Key(Qt::Key_Return);
    }
    // Stores a new item by typing its symbol string and pressing Return in the symbol box.
    void AddItem(const QString& code) {
        TypeInto("ComboBox1", code);
        Key(Qt::Key_Return);
    }
    // Picks entry i of a list with the keyboard: F4 drops it down, Home and Down go to the entry,
    // Return takes it.
    void Pick(const char* box, int index) {
        QComboBox* b = Find<QComboBox>(box);
        FocusOn(b);
        Key(Qt::Key_F4);
        ASSERT_TRUE(QTest::qWaitFor([b] { return b->view()->isVisible(); })) << box;
        Key(Qt::Key_Home);
        for (int i = 0; i < index; ++i)
            Key(Qt::Key_Down);
        Key(Qt::Key_Return);
        EXPECT_TRUE(QTest::qWaitFor([b] { return !b->view()->isVisible(); })) << box;
    }
    void ClickArrow(const char* updown, bool up) {
        auto buttons = Find<TUpDown>(updown)->findChildren<QToolButton*>();
        for (QToolButton* b : buttons)
            if (b->arrowType() == (up ? Qt::UpArrow : Qt::DownArrow))
                QTest::mouseClick(b, Qt::LeftButton);
    }
    void Click(const char* button) { QTest::mouseClick(Find<QWidget>(button), Qt::LeftButton); }
    // Runs what command opens, a modal window of ours, with script playing the user's part in it
    // (and closing it); false when no such window came. The main window is active again after.
    template <typename W>
    bool InModal(const std::function<void()>& command, const std::function<void(W&)>& script) {
        const bool came = WithModal<W>(command, script);
        // a window manager gives the window back its activation; offscreen there is none
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        return came;
    }
    QString Text(const char* label) const { return Find<QLabel>(label)->text(); }
    std::vector<QString> Items(const char* box) const {
        std::vector<QString> items;
        QComboBox* b = Find<QComboBox>(box);
        for (int i = 0; i < b->count(); ++i)
            items.push_back(b->itemText(i));
        return items;
    }
};

} // namespace frametest
