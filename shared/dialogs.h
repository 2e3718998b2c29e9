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

// ---- File dialogs ----

// What a file dialog offers. The filter list is written as the program has always written it:
// captions and their patterns in turn, joined by "|" ("ビットマップ(*.bmp)|*.bmp|全てのファイル(*.*)|*.*");
// several patterns of one entry are joined by ";", and "*.*" stands for every file, also one
// without an extension.
struct FileDialogRequest {
    QString Filter;
    int FilterIndex = 1;          // the entry chosen at first, counted from 1
    QString DefaultExtension;     // without the dot; empty: a name typed without one stays so
    QString Directory;            // where the dialog starts; empty: its own choice
    QString FileName;             // the name proposed
    bool OverwritePrompt = false; // a save asks before an existing file is replaced
};

// What the user chose: the whole path, and the filter entry chosen at the end (from 1).
struct FileDialogChoice {
    QString Path;
    int FilterIndex = 1;
};

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
    // An input box: a caption, a prompt and an edit box preset to initial; the text typed, or
    // nothing when the user cancels.
    virtual std::optional<QString> InputQuery(QWidget* parent, const QString& caption, const QString& prompt,
                                              const QString& initial) = 0;

    // The dialogs below answer as cancelled unless a seam scripts or shows them.

    // The printer setup dialog ("印刷設定"): the printer (or a PDF file), paper and orientation,
    // set into printer. True when the user confirmed.
    virtual bool SetUpPrinter(QWidget* parent, QPrinter& printer);
    // The print dialog before a print: the printer or a PDF file, set into printer. True to print.
    virtual bool ChoosePrinter(QWidget* parent, QPrinter& printer);
    // The open dialog for one existing file; nothing when the user cancels.
    virtual std::optional<FileDialogChoice> OpenFile(QWidget* parent, const FileDialogRequest& request) = 0;
    // The save dialog. A name typed without an extension gets the one of the filter entry chosen
    // (when that entry has exactly one), else DefaultExtension; nothing when the user cancels.
    virtual std::optional<FileDialogChoice> SaveFile(QWidget* parent, const FileDialogRequest& request) = 0;
};

// The real dialogs: QMessageBox, QColorDialog, TFontDialog, QInputDialog, QPrintDialog and
// QFileDialog; the message boxes captioned "Zarvo".
class QtDialogs : public Dialogs {
  public:
    void Inform(QWidget* parent, const QString& text) override;
    void Error(QWidget* parent, const QString& text) override;
    bool Ask(QWidget* parent, const QString& text) override;
    std::optional<component::TColor> ChooseColor(QWidget* parent, component::TColor initial) override;
    std::optional<component::TFont> ChooseFont(QWidget* parent, const component::TFont& initial) override;
    std::optional<QString> InputQuery(QWidget* parent, const QString& caption, const QString& prompt,
                                      const QString& initial) override;
    bool SetUpPrinter(QWidget* parent, QPrinter& printer) override;
    bool ChoosePrinter(QWidget* parent, QPrinter& printer) override;
    std::optional<FileDialogChoice> OpenFile(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<FileDialogChoice> SaveFile(QWidget* parent, const FileDialogRequest& request) override;
};

} // namespace zarvo::shared
