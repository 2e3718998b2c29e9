// The main window's print controls, the size report, and what printing and the data list window
// take from the main window as their host.
#include "app/frame.h"
#include "app/uitext.h"
#include "printing/printcommands.h"
#include "printing/printtxt.h"
#include "printing/progress.h"
#include "printing/qtprintdevice.h"
#include "shared/updown.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QStandardPaths>

namespace zarvo::app {

void TFrameForm::Button8Click() {
    const component::WatchHold hold(*qr_);
    printing::NormalPrint(*this);
}

void TFrameForm::Button10Click() {
    const component::WatchHold hold(*qr_);
    printing::ListPrint(*this);
    ShowStatus(); // the shown item is drawn again
}

void TFrameForm::Button9Click() {
    const component::WatchHold hold(*qr_);
    printing::PrinterSetup(*this);
}

void TFrameForm::UpDown8Click() {
    printing::PrintMagnificationClicked(*this);
}

void TFrameForm::Panel7MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    PrintRowSpace = printing::SpacingAfterPress(PrintRowSpace, button, modifiers);
    ShowPrintSpacing();
}

void TFrameForm::Panel8MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    PrintColSpace = printing::SpacingAfterPress(PrintColSpace, button, modifiers);
    ShowPrintSpacing();
}

void TFrameForm::ShowPrintSpacing() {
    Panel7->setText(printing::RowSpaceCaption(PrintRowSpace));
    Panel8->setText(printing::ColSpaceCaption(PrintColSpace));
}

void TFrameForm::N5Click() {
    const component::WatchHold hold(*qr_);
    printing::ShowSymbolSize(*this);
}

int32_t TFrameForm::PrintCount() const {
    return UpDown7->Position();
}

int32_t TFrameForm::PrintMagnification() const {
    return UpDown8->Position();
}

void TFrameForm::SetPrintMagnification(int32_t percent) {
    UpDown8->SetPosition(percent);
}

printing::PrintDevice& TFrameForm::ThePrinter() {
    if (!env_.printer) {
        // Without a printer installed, the PDF file the print dialog offers first
        QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (documents.isEmpty())
            documents = QDir::homePath();
        env_.printer =
            std::make_shared<printing::QtPrintDevice>(QDir(documents).filePath(QStringLiteral("Zarvo.pdf")));
    }
    return *env_.printer;
}

printing::TProgressForm& TFrameForm::TheProgressForm() {
    if (!progress_)
        progress_ = std::make_unique<printing::TProgressForm>();
    return *progress_;
}

int32_t TFrameForm::ItemIndex() const {
    return ComboBox1->currentIndex();
}

void TFrameForm::Inform(QWidget* parent, const QString& text) {
    dialogs_.Inform(parent, text);
}

std::optional<component::TFont> TFrameForm::ChooseFont(QWidget* parent, const component::TFont& initial) {
    try {
        return dialogs_.ChooseFont(parent, initial);
    } catch (const shared::TextError& e) {
        dialogs_.Error(parent, U("このフォント名は Shift-JIS (CP932) で表せないため、使えません。\n") +
                                   QString::fromUtf8(e.what()));
        return std::nullopt;
    }
}

std::optional<QString> TFrameForm::InputQuery(QWidget* parent, const QString& caption, const QString& prompt,
                                              const QString& initial) {
    return dialogs_.InputQuery(parent, caption, prompt, initial);
}

void TFrameForm::PrintList(QWidget* parent, const datalist::DataList& items, int32_t partition,
                           const component::TFont& font) {
    printing::PrintDataList(ThePrinter(), dialogs_, parent, items, partition, font);
}

} // namespace zarvo::app
