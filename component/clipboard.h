// The clipboard as the symbol component sees it: text in, MIME data out, and a notification when
// the content changes. The application uses the system clipboard through QClipboard; tests use a
// fake.
#pragma once

#include <QMimeData>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

QT_BEGIN_NAMESPACE
class QClipboard;
QT_END_NAMESPACE

namespace zarvo::component {

class Clipboard {
  public:
    virtual ~Clipboard() = default;

    // The text on the clipboard, or nothing when it offers no text.
    virtual std::optional<QString> Text() const = 0;

    // Replaces the clipboard's content; the clipboard takes the data.
    virtual void SetMimeData(std::unique_ptr<QMimeData> data) = 0;

    // True when the current content was put there by this program (Qt reports the program's own
    // copies as changes too; a watch ignores them).
    virtual bool OwnsContent() const = 0;

    // Installs the function called on every change of the content (an empty function removes
    // it). While one is installed the clipboard is watched.
    virtual void SetChangeHandler(std::function<void()> handler) = 0;

    // True where installing a change handler is itself reported as a change at once (the Windows
    // viewer chain does this; QClipboard does not).
    virtual bool NotifiesOnRegistration() const = 0;
};

// The system clipboard (QGuiApplication::clipboard(), mode Clipboard). Needs a QGuiApplication.
class QtClipboard : public QObject, public Clipboard {
  public:
    QtClipboard();
    ~QtClipboard() override;

    std::optional<QString> Text() const override;
    void SetMimeData(std::unique_ptr<QMimeData> data) override;
    bool OwnsContent() const override;
    void SetChangeHandler(std::function<void()> handler) override;
    bool NotifiesOnRegistration() const override { return false; }

  private:
    void Changed();

    QClipboard* clipboard_;
    std::function<void()> handler_;
    bool setting_ = false; // inside our own setMimeData, which Qt reports synchronously
};

// The data a clipboard text stands for: cut at the first U+0000 (as CF_TEXT is), a lone LF made
// CR LF (as Windows text has it), then converted to CP932. Throws TextError naming the first
// character CP932 cannot hold.
std::string ClipboardTextToCode(const QString& text);

} // namespace zarvo::component
