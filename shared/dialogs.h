// Every message box and common dialog of the windows goes through Dialogs, so that tests can
// script the answers instead of blocking on a modal box.
#pragma once

#include "component/picture/color.h"
#include "component/picture/text.h"

#include <QString>
#include <optional>

class QPrinter;
class QWidget;

namespace zarvo::shared {

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // A notice the user acknowledges (OK).
    virtual void Inform(QWidget* parent, const QString& text) = 0;
    // An error the user acknowledges (OK).
    virtual void Error(QWidget* parent, const QString& text) = 0;
    // A yes/no question; true for yes.
    virtual bool Ask(QWidget* parent, const QString& text) = 0;
    // The colour dialog preset to initial; nothing when the user cancels.
    virtual std::optional<component::TColor> ChooseColor(QWidget* parent, component::TColor initial) = 0;
    // The font dialog with its colour, preset to initial; nothing when the user cancels. The
    // character set of initial is kept, and so is its face name when the face chosen is the one
    // it is drawn with. Throws shared::TextError for a face name that Shift-JIS cannot hold.
    virtual std::optional<component::TFont> ChooseFont(QWidget* parent, const component::TFont& initial) = 0;

    // The dialogs below answer as cancelled unless a seam scripts or shows them.

    // The printer setup dialog ("印刷設定"): the printer (or a PDF file), paper and orientation,
    // set into printer. True when the user confirmed.
    virtual bool SetUpPrinter(QWidget* parent, QPrinter& printer);
    // The print dialog before a print: the printer or a PDF file, set into printer. True to print.
    virtual bool ChoosePrinter(QWidget* parent, QPrinter& printer);
    // The save dialog: starts with fileName in directory; filter in Qt's form
    // ("ビットマップ(*.bmp);;全てのファイル(*.*)"); a name given without extension gets
    // defaultSuffix; asks before an existing file is replaced. The chosen path, or nothing.
    virtual std::optional<QString> SaveFileName(QWidget* parent, const QString& directory,
                                                const QString& fileName, const QString& filter,
                                                const QString& defaultSuffix);
};

// The real dialogs: QMessageBox, QColorDialog, TFontDialog, QPrintDialog and QFileDialog; the
// message boxes captioned "Zarvo".
class QtDialogs : public Dialogs {
  public:
    void Inform(QWidget* parent, const QString& text) override;
    void Error(QWidget* parent, const QString& text) override;
    bool Ask(QWidget* parent, const QString& text) override;
    std::optional<component::TColor> ChooseColor(QWidget* parent, component::TColor initial) override;
    std::optional<component::TFont> ChooseFont(QWidget* parent, const component::TFont& initial) override;
    bool SetUpPrinter(QWidget* parent, QPrinter& printer) override;
    bool ChoosePrinter(QWidget* parent, QPrinter& printer) override;
    std::optional<QString> SaveFileName(QWidget* parent, const QString& directory, const QString& fileName,
                                        const QString& filter, const QString& defaultSuffix) override;
};

} // namespace zarvo::shared
