#include "app/helddialogs.h"

#include "component/qrcode.h"

namespace zarvo::app {

void HeldDialogs::Inform(QWidget* parent, const QString& text) {
    const component::WatchHold hold(qr_);
    dialogs_.Inform(parent, text);
}

void HeldDialogs::Error(QWidget* parent, const QString& text) {
    const component::WatchHold hold(qr_);
    dialogs_.Error(parent, text);
}

bool HeldDialogs::Ask(QWidget* parent, const QString& text) {
    const component::WatchHold hold(qr_);
    return dialogs_.Ask(parent, text);
}

std::optional<component::TColor> HeldDialogs::ChooseColor(QWidget* parent, component::TColor initial) {
    const component::WatchHold hold(qr_);
    return dialogs_.ChooseColor(parent, initial);
}

std::optional<component::TFont> HeldDialogs::ChooseFont(QWidget* parent, const component::TFont& initial) {
    const component::WatchHold hold(qr_);
    return dialogs_.ChooseFont(parent, initial);
}

std::optional<QString> HeldDialogs::InputQuery(QWidget* parent, const QString& caption, const QString& prompt,
                                               const QString& initial) {
    const component::WatchHold hold(qr_);
    return dialogs_.InputQuery(parent, caption, prompt, initial);
}

bool HeldDialogs::SetUpPrinter(QWidget* parent, QPrinter& printer) {
    const component::WatchHold hold(qr_);
    return dialogs_.SetUpPrinter(parent, printer);
}

bool HeldDialogs::ChoosePrinter(QWidget* parent, QPrinter& printer) {
    const component::WatchHold hold(qr_);
    return dialogs_.ChoosePrinter(parent, printer);
}

std::optional<shared::FileDialogChoice> HeldDialogs::OpenFile(QWidget* parent,
                                                              const shared::FileDialogRequest& request) {
    const component::WatchHold hold(qr_);
    return dialogs_.OpenFile(parent, request);
}

std::optional<shared::FileDialogChoice> HeldDialogs::SaveFile(QWidget* parent,
                                                              const shared::FileDialogRequest& request) {
    const component::WatchHold hold(qr_);
    return dialogs_.SaveFile(parent, request);
}

} // namespace zarvo::app
