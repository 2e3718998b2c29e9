#include "shared/dialogs.h"

#include "shared/fontdialog.h"

#include <QColorDialog>
#include <QMessageBox>

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

} // namespace zarvo::shared
