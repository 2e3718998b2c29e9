// The font dialog of the comment font: Qt's font dialog with the colour the comments are drawn in,
// chosen from the sixteen standard colours in a list beside the effects, as on the desktop the
// settings file comes from.
#pragma once

#include "component/picture/text.h"

#include <QFontDialog>

class QComboBox;

namespace zarvo::shared {

class TFontDialog : public QFontDialog {
    Q_OBJECT

  public:
    // Preset to initial: its face (or the face that stands in for it), size, style and colour. A
    // colour that is none of the sixteen (a system colour, say) is offered first as it is.
    explicit TFontDialog(const component::TFont& initial, QWidget* parent = nullptr);

    // The font chosen, with its colour; the character set of initial. Face, size and style that
    // the user left as the dialog showed them keep the values of initial ("ＭＳ Ｐゴシック" shows as
    // IPAPGothic), so that confirming without a change changes nothing. Throws shared::TextError
    // for a face name that Shift-JIS cannot hold.
    component::TFont Font() const;

    QComboBox* ColorBox() const { return colors_; }

  private:
    component::TFont initial_;
    QFont shown_; // initial as the dialog first showed it
    QComboBox* colors_;
};

} // namespace zarvo::shared
