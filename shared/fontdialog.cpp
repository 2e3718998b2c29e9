#include "shared/fontdialog.h"

#include "component/picture/color.h"
#include "shared/cp932.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPixmap>

namespace zarvo::shared {

namespace {

// The desktop font dialog's colours, in its order; colour values have red in the low byte.
struct StandardColor {
    component::TColor color;
    const char* name;
};
// clang-format off
constexpr StandardColor kColors[] = {
    {0x000000, "黒"},     {0x000080, "マルーン"}, {0x008000, "緑"},     {0x008080, "オリーブ"},
    {0x800000, "ネイビー"}, {0x800080, "紫"},     {0x808000, "ティール"}, {0x808080, "灰色"},
    {0xC0C0C0, "シルバー"}, {0x0000FF, "赤"},     {0x00FF00, "ライム"},  {0x00FFFF, "黄"},
    {0xFF0000, "青"},     {0xFF00FF, "フクシア"}, {0xFFFF00, "水色"},   {0xFFFFFF, "白"},
};
// clang-format on

QPixmap Swatch(component::TColor color) {
    QPixmap swatch(24, 12);
    swatch.fill(QColor(component::ResolveColor(color)));
    return swatch;
}

// The group of the effects (the two check boxes) inside Qt's font dialog.
QGroupBox* EffectsOf(QFontDialog& dialog) {
    for (QGroupBox* group : dialog.findChildren<QGroupBox*>())
        if (!group->findChildren<QCheckBox*>().isEmpty() && group->layout())
            return group;
    return nullptr;
}

} // namespace

TFontDialog::TFontDialog(const component::TFont& initial, QWidget* parent)
    : QFontDialog(parent), initial_(initial) {
    setOption(QFontDialog::DontUseNativeDialog); // the colour list joins Qt's own dialog
    QFont preset = component::ToQFont(initial);
    preset.setPointSize(initial.Size > 0 ? initial.Size : 9);
    setCurrentFont(preset);
    shown_ = currentFont();

    colors_ = new QComboBox(this);
    colors_->setObjectName(QStringLiteral("FontColor"));
    bool standard = false;
    for (const StandardColor& c : kColors) {
        colors_->addItem(Swatch(c.color), QString::fromUtf8(c.name), c.color);
        standard |= c.color == initial.Color;
    }
    if (!standard)
        colors_->insertItem(0, Swatch(initial.Color), QString::fromUtf8("現在の色"), initial.Color);
    colors_->setCurrentIndex(colors_->findData(initial.Color));

    auto* label = new QLabel(QString::fromUtf8("色(&C):"), this);
    label->setBuddy(colors_);
    QGroupBox* effects = EffectsOf(*this);
    if (effects) {
        effects->layout()->addWidget(label);
        effects->layout()->addWidget(colors_);
    } else if (layout()) {
        layout()->addWidget(label);
        layout()->addWidget(colors_);
    }

    // the sample shows the colour too
    QLineEdit* sample = nullptr;
    for (QGroupBox* group : findChildren<QGroupBox*>())
        if (group != effects && !sample)
            sample = group->findChild<QLineEdit*>();
    if (sample) {
        const auto showColor = [this, sample] {
            QPalette palette = sample->palette();
            palette.setColor(QPalette::Text, QColor(component::ResolveColor(static_cast<component::TColor>(
                                                 colors_->currentData().toLongLong()))));
            sample->setPalette(palette);
        };
        showColor();
        connect(colors_, &QComboBox::currentIndexChanged, sample, showColor);
    }
}

component::TFont TFontDialog::Font() const {
    // What the user left as the dialog showed it stays as stored: the dialog shows a face by what
    // stands in for it, and a style the face lacks (IPA Gothic has no bold) not at all.
    const QFont chosen = currentFont();
    component::TFont result = initial_;
    if (chosen.family() != shown_.family())
        result.Name = shared::QStringToCp932(chosen.family()); // TextError reaches the caller
    if (chosen.pointSize() != shown_.pointSize() && chosen.pointSize() > 0)
        result.Size = chosen.pointSize();
    if (chosen.bold() != shown_.bold())
        result.Bold = chosen.bold();
    if (chosen.italic() != shown_.italic())
        result.Italic = chosen.italic();
    result.Underline = chosen.underline();
    result.StrikeOut = chosen.strikeOut();
    result.Color = static_cast<component::TColor>(colors_->currentData().toLongLong());
    return result;
}

} // namespace zarvo::shared
