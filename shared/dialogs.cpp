#include "shared/dialogs.h"

#include "shared/fontdialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>

namespace zarvo::shared {

namespace {

QString Caption() {
    return QStringLiteral("Zarvo");
}

} // namespace

void QtDialogs::Inform(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, Caption(), text);
}

void QtDialogs::Error(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, Caption(), text);
}

bool QtDialogs::Ask(QWidget* parent, const QString& text) {
    return QMessageBox::question(parent, Caption(), text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

std::optional<component::TColor> QtDialogs::ChooseColor(QWidget* parent, component::TColor initial) {
    const QColor chosen = QColorDialog::getColor(QColor(component::ResolveColor(initial)), parent);
    if (!chosen.isValid())
        return std::nullopt;
    // red in the low byte, as the colour values are stored
    return static_cast<component::TColor>(static_cast<uint32_t>(chosen.red()) |
                                          static_cast<uint32_t>(chosen.green()) << 8 |
                                          static_cast<uint32_t>(chosen.blue()) << 16);
}

std::optional<component::TFont> QtDialogs::ChooseFont(QWidget* parent, const component::TFont& initial) {
    TFontDialog dialog(initial, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Font();
}

bool Dialogs::SetUpPrinter(QWidget*, QPrinter&) {
    return false;
}

bool Dialogs::ChoosePrinter(QWidget*, QPrinter&) {
    return false;
}

std::optional<QString> Dialogs::SaveFileName(QWidget*, const QString&, const QString&, const QString&,
                                             const QString&) {
    return std::nullopt;
}

bool QtDialogs::SetUpPrinter(QWidget* parent, QPrinter& printer) {
    // Qt's print dialog is where a printer is chosen (its page setup only sets the paper); here it
    // only sets up and chooses, it does not print.
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QString::fromUtf8("印刷設定"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
    return dialog.exec() == QDialog::Accepted;
}

bool QtDialogs::ChoosePrinter(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    return dialog.exec() == QDialog::Accepted;
}

std::optional<QString> QtDialogs::SaveFileName(QWidget* parent, const QString& directory,
                                               const QString& fileName, const QString& filter,
                                               const QString& defaultSuffix) {
    QFileDialog dialog(parent, QString(), directory, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

} // namespace zarvo::shared
