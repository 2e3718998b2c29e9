#include "shared/dialogs.h"

#include "shared/cp932.h"

#include <QColorDialog>
#include <QFontDialog>
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
    QFont preset = component::ToQFont(initial);
    preset.setPointSize(initial.Size);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, preset, parent);
    if (!ok)
        return std::nullopt;
    component::TFont result = initial;
    result.Name = shared::QStringToCp932(chosen.family()); // TextError reaches the caller
    if (chosen.pointSize() > 0)
        result.Size = chosen.pointSize();
    result.Bold = chosen.bold();
    result.Italic = chosen.italic();
    result.Underline = chosen.underline();
    result.StrikeOut = chosen.strikeOut();
    return result;
}

} // namespace zarvo::shared
