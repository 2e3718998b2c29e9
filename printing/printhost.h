// What printing needs from the main window: its symbol component and data list, its print
// controls and fields, and the program-wide services (dialogs, clipboard, printer, progress
// window). The main window implements it; tests implement it over plain members.
#pragma once

#include "datalist/datalistmodel.h"

#include <cstdint>
#include <string>

class QWidget;

namespace zarvo::component {
class Clipboard;
class TQRCode;
} // namespace zarvo::component

namespace zarvo::shared {
class Dialogs;
}

namespace zarvo::printing {

class PrintDevice;
class TProgressForm;

// The main window's fields that printing reads and writes; the main window keeps them (and the
// settings store the first three).
struct PrintFields {
    // The print magnification was set by the preview's "等倍" and has not changed since.
    bool SameSizeSwitch = false;
    // Spacing between printed rows and columns: screen pixels at 100 %, 0..2000.
    int32_t PrintRowSpace = 10;
    int32_t PrintColSpace = 0;
    // True from the start to the end of a list print: the preview works in list mode.
    bool ListPrintMode = false;
    // Items whose symbol string gives a symbol (the list preview's caption).
    int32_t ListPrintCount = 0;
    // Measured each time the preview opens; the print that follows uses them.
    int32_t PrinterDpiX = 0;
    int32_t PrinterDpiY = 0;
    int32_t PageWidth = 0; // printable area, printer pixels
    int32_t PageHeight = 0;
    int32_t ScreenDpiX = 0;
    int32_t ScreenDpiY = 0;
};

class PrintHost {
  public:
    virtual ~PrintHost() = default;

    // The window that owns the preview, the size report and the dialogs.
    virtual QWidget* HostWindow() = 0;
    // The symbol component (the main window's QRCode1).
    virtual component::TQRCode& QRCode1() = 0;
    // The data list.
    virtual const datalist::DataList& List() const = 0;

    // The print count of a normal print (UpDown7), 1..1000.
    virtual int32_t PrintCount() const = 0;
    // The print magnification in percent (UpDown8), 10..1000.
    virtual int32_t PrintMagnification() const = 0;
    // Sets the print magnification as the program does, brought into its range; the control's
    // click action (which turns SameSizeSwitch off) does not run.
    virtual void SetPrintMagnification(int32_t percent) = 0;

    virtual PrintFields& PrintState() = 0;

    // The directory of the program's files (path bytes): where the preview's save dialog starts.
    virtual const std::string& ProgramDir() const = 0;

    virtual shared::Dialogs& TheDialogs() = 0;
    virtual component::Clipboard& TheClipboard() = 0;
    // The printer of this run.
    virtual PrintDevice& ThePrinter() = 0;
    // The progress window of this run.
    virtual TProgressForm& TheProgressForm() = 0;
};

} // namespace zarvo::printing
