// A main window over a temporary program directory, with scripted dialogs and a fake clipboard,
// driven through its controls as a user drives it.
#pragma once

#include "app/frame.h"
#include "component/clipboard.h"
#include "shared/cp932.h"
#include "shared/dialogs.h"
#include "shared/updown.h"

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
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace frametest {

using zarvo::app::TFrameForm;
using zarvo::app::TUpDown;

inline QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}
inline std::string S(const char* utf8) {
    return zarvo::shared::Utf8ToCp932(utf8);
}

// Records every box the window shows and answers from a script (default: OK, "no", cancel).
class ScriptedDialogs : public zarvo::shared::Dialogs {
  public:
    void Inform(QWidget*, const QString& text) override { shown.push_back(text); }
    void Error(QWidget*, const QString& text) override { shown.push_back(text); }
    bool Ask(QWidget*, const QString& text) override {
        shown.push_back(text);
        return askAnswer;
    }
    std::optional<zarvo::component::TColor> ChooseColor(QWidget*, zarvo::component::TColor initial) override {
        presetColor = initial;
        return nextColor;
    }
    std::optional<zarvo::component::TFont> ChooseFont(QWidget*,
                                                      const zarvo::component::TFont& initial) override {
        presetFont = initial;
        return nextFont;
    }

    std::vector<QString> shown;
    bool askAnswer = false;
    std::optional<zarvo::component::TColor> nextColor;
    std::optional<zarvo::component::TColor> presetColor;
    std::optional<zarvo::component::TFont> nextFont;
    std::optional<zarvo::component::TFont> presetFont;
};

class FakeClipboard : public zarvo::component::Clipboard {
  public:
    std::optional<QString> Text() const override { return text; }
    void SetMimeData(std::unique_ptr<QMimeData> data) override {
        text = data->hasText() ? std::optional<QString>(data->text()) : std::nullopt;
        owned = true;
        Notify();
    }
    bool OwnsContent() const override { return owned; }
    void SetChangeHandler(std::function<void()> h) override { handler = std::move(h); }
    bool NotifiesOnRegistration() const override { return false; }
    void OtherProgramCopies(const QString& newText) {
        text = newText;
        owned = false;
        Notify();
    }
    void Notify() {
        if (handler) {
            const auto h = handler;
            h();
        }
    }
    std::optional<QString> text;
    bool owned = false;
    std::function<void()> handler;
};

inline std::string ReadBytes(const QString& path) {
    std::ifstream in(QFile::encodeName(path).toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const QString& path, const std::string& bytes) {
    std::ofstream out(QFile::encodeName(path).toStdString(), std::ios::binary);
    out << bytes;
}

// A program directory that lives as long as the fixture; windows started on it one after the
// other see each other's files, as runs of the program do.
class FrameTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    std::shared_ptr<FakeClipboard> clipboard = std::make_shared<FakeClipboard>();
    std::unique_ptr<TFrameForm> form;

    QString Path(const char* name) const { return dir.path() + QLatin1Char('/') + QString::fromLatin1(name); }
    std::string Ini() const { return ReadBytes(Path("zarvo.ini")); }

    // Starts the program: the window is shown, which runs its start-up.
    TFrameForm& Start() {
        zarvo::app::FrameEnvironment env;
        env.ProgramDir = QFile::encodeName(dir.path()).toStdString();
        env.ExeName = env.ProgramDir + "/zarvo";
        env.dialogs = &dialogs;
        env.clipboard = clipboard;
        form = std::make_unique<TFrameForm>(env);
        form->show();
        EXPECT_TRUE(form->Started());
        return *form;
    }
    // Closes the window as the user does; true when it closed.
    bool Close() {
        const bool closed = form->close();
        if (closed)
            form.reset();
        return closed;
    }

    template <typename T> T* Find(const char* name) const {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    // Types text (any script) into a box's edit field, replacing what it shows, as keystrokes.
    static void Type(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        for (const QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
    void TypeInto(const char* box, const QString& text) { Type(Find<QComboBox>(box)->lineEdit(), text); }
    void Enter(const char* box) { QTest::keyClick(Find<QComboBox>(box)->lineEdit(), Qt::Key_Return); }
    // Stores a new item by typing its symbol string and pressing Return in the symbol box.
    void AddItem(const QString& code) {
        TypeInto("ComboBox1", code);
        Enter("ComboBox1");
    }
    // Picks entry i of a drop-down list.
    void Pick(const char* box, int index) {
        QComboBox* b = Find<QComboBox>(box);
        b->setCurrentIndex(index);
        Q_EMIT b->activated(index);
    }
    void ClickArrow(const char* updown, bool up) {
        auto buttons = Find<TUpDown>(updown)->findChildren<QToolButton*>();
        for (QToolButton* b : buttons)
            if (b->arrowType() == (up ? Qt::UpArrow : Qt::DownArrow))
                QTest::mouseClick(b, Qt::LeftButton);
    }
    void Click(const char* button) { QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton); }
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
