#include "component/clipboard.h"

#include "shared/cp932.h"

#include <QClipboard>
#include <QGuiApplication>

namespace zarvo::component {

using shared::QStringToCp932;

QtClipboard::QtClipboard() : clipboard_(QGuiApplication::clipboard()) {
    connect(clipboard_, &QClipboard::dataChanged, this, [this] { Changed(); });
}

QtClipboard::~QtClipboard() = default;

std::optional<QString> QtClipboard::Text() const {
    const QMimeData* mime = clipboard_->mimeData(QClipboard::Clipboard);
    if (!mime || !mime->hasText())
        return std::nullopt;
    return mime->text();
}

void QtClipboard::SetMimeData(std::unique_ptr<QMimeData> data) {
    // Qt reports our own change from inside setMimeData (xcb, offscreen, wayland alike)
    setting_ = true;
    clipboard_->setMimeData(data.release(), QClipboard::Clipboard);
    setting_ = false;
}

bool QtClipboard::OwnsContent() const {
    return setting_ || clipboard_->ownsClipboard();
}

void QtClipboard::SetChangeHandler(std::function<void()> handler) {
    handler_ = std::move(handler);
}

void QtClipboard::Changed() {
    // The handler may replace itself while it runs.
    const std::function<void()> handler = handler_;
    if (handler)
        handler();
}

std::string ClipboardTextToCode(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    const QString cut = nul < 0 ? text : text.left(nul);
    QString crlf;
    crlf.reserve(cut.size() + cut.count(QChar(u'\n')));
    for (qsizetype i = 0; i < cut.size(); ++i) {
        if (cut.at(i) == QChar(u'\n') && (i == 0 || cut.at(i - 1) != QChar(u'\r')))
            crlf += QChar(u'\r');
        crlf += cut.at(i);
    }
    return QStringToCp932(crlf);
}

} // namespace zarvo::component
