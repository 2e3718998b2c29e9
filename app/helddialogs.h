// The main window's dialogs: the program's Dialogs, with the clipboard watch held while each box
// or dialog is open, so that a text copied meanwhile is taken after it closes, not under it.
#pragma once

#include "shared/dialogs.h"

namespace zarvo::component {
class TQRCode;
}

namespace zarvo::app {

class HeldDialogs : public shared::Dialogs {
  public:
    // Both must outlive this.
    HeldDialogs(shared::Dialogs& dialogs, component::TQRCode& qr) : dialogs_(dialogs), qr_(qr) {}

    void Inform(QWidget* parent, const QString& text) override;
    void Error(QWidget* parent, const QString& text) override;
    bool Ask(QWidget* parent, const QString& text) override;
    std::optional<component::TColor> ChooseColor(QWidget* parent, component::TColor initial) override;
    std::optional<component::TFont> ChooseFont(QWidget* parent, const component::TFont& initial) override;
    std::optional<QString> InputQuery(QWidget* parent, const QString& caption, const QString& prompt,
                                      const QString& initial) override;
    bool SetUpPrinter(QWidget* parent, QPrinter& printer) override;
    bool ChoosePrinter(QWidget* parent, QPrinter& printer) override;
    std::optional<shared::FileDialogChoice> OpenFile(QWidget* parent,
                                                     const shared::FileDialogRequest& request) override;
    std::optional<shared::FileDialogChoice> SaveFile(QWidget* parent,
                                                     const shared::FileDialogRequest& request) override;

  private:
    shared::Dialogs& dialogs_;
    component::TQRCode& qr_;
};

} // namespace zarvo::app
