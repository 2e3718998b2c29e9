// The dialog seam and the clipboard as window tests script them: every box shown is recorded and
// answered from the script, the clipboard is the test's own. Header-only.
#pragma once

#include "component/clipboard.h"
#include "shared/dialogs.h"

#include <QMimeData>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QPrinter;

namespace zarvo::testsupport {

// Records every box shown and answers from a script (by default: OK, "no", cancel).
class ScriptedDialogs : public shared::Dialogs {
  public:
    void Inform(QWidget*, const QString& text) override { shown.push_back(text); }
    void Error(QWidget*, const QString& text) override {
        shown.push_back(text);
        errors.push_back(text);
    }
    bool Ask(QWidget*, const QString& text) override {
        shown.push_back(text);
        return askAnswer;
    }
    std::optional<component::TColor> ChooseColor(QWidget*, component::TColor initial) override {
        presetColor = initial;
        return nextColor;
    }
    std::optional<component::TFont> ChooseFont(QWidget*, const component::TFont& initial) override {
        presetFont = initial;
        return nextFont;
    }
    std::optional<QString> InputQuery(QWidget*, const QString& caption, const QString& prompt,
                                      const QString& initial) override {
        queries.push_back({caption, prompt, initial});
        return nextInput;
    }
    bool SetUpPrinter(QWidget*, QPrinter& printer) override {
        ++setUps;
        if (setUpAnswer && choosePrinter)
            choosePrinter(printer);
        return setUpAnswer;
    }
    bool ChoosePrinter(QWidget*, QPrinter& printer) override {
        ++printDialogs;
        if (printAnswer && choosePrinter)
            choosePrinter(printer);
        return printAnswer;
    }
    // The file dialogs answer with the next path scripted (none: the user cancels).
    std::optional<shared::FileDialogChoice> OpenFile(QWidget*, const shared::FileDialogRequest& r) override {
        return Answer(r);
    }
    std::optional<shared::FileDialogChoice> SaveFile(QWidget*, const shared::FileDialogRequest& r) override {
        return Answer(r);
    }
    std::optional<shared::FileDialogChoice> Answer(const shared::FileDialogRequest& r) {
        fileRequests.push_back(r);
        if (nextPaths.empty())
            return std::nullopt;
        const QString path = nextPaths.front();
        nextPaths.pop_front();
        return shared::FileDialogChoice{path, r.FilterIndex};
    }

    std::vector<QString> shown;  // every message, question and error, in order
    std::vector<QString> errors; // the errors among them
    bool askAnswer = false;
    std::optional<component::TColor> nextColor, presetColor;
    std::optional<component::TFont> nextFont, presetFont;
    // The input box: what each was opened with (caption, prompt, preset text), and the answer.
    struct Query {
        QString caption, prompt, initial;
    };
    std::vector<Query> queries;
    std::optional<QString> nextInput;
    // The printer dialogs: confirmed or cancelled, and what the user picks in them when confirmed.
    bool setUpAnswer = true, printAnswer = true;
    int setUps = 0, printDialogs = 0;
    std::function<void(QPrinter&)> choosePrinter;
    // The file dialogs: what each was opened with, and the paths the user picks, in turn.
    std::vector<shared::FileDialogRequest> fileRequests;
    std::deque<QString> nextPaths;
};

// A clipboard of the test's own: what the program puts there, and copies "other programs" make.
class FakeClipboard : public component::Clipboard {
  public:
    std::optional<QString> Text() const override { return text; }
    void SetMimeData(std::unique_ptr<QMimeData> data) override {
        text = data->hasText() ? std::optional<QString>(data->text()) : std::nullopt;
        formats = data->formats();
        last = std::move(data);
        owned = true;
        Notify();
    }
    bool OwnsContent() const override { return owned; }
    void SetChangeHandler(std::function<void()> h) override { handler = std::move(h); }
    bool NotifiesOnRegistration() const override { return false; }
    void OtherProgramCopies(const QString& newText) {
        text = newText;
        last.reset();
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
    std::unique_ptr<QMimeData> last; // what the program put there last
    QStringList formats;             // of the last copy made by the program
    bool owned = false;
    std::function<void()> handler;
};

} // namespace zarvo::testsupport
