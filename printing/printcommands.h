// The main window's print commands: normal print (Button8), list print (Button10), the printer
// setup (Button9), the print magnification's arrows (UpDown8), the spacing panels (Panel7,
// Panel8) and the symbol size report (Ctrl+I and the popup menu). Each runs through the main
// window's PrintHost; an error that ends a command is reported in a message box.
#pragma once

#include <QString>
#include <Qt>
#include <cstdint>

namespace zarvo::printing {

class PrintHost;

// Button8Click. Refuses with "シンボルを表示中でないと印刷出来ません。" unless a symbol is shown and the
// data list has items; else the preview in normal mode, and when it ends with "印刷", the print
// count's copies of the shown picture.
void NormalPrint(PrintHost& host);

// Button10Click. Counts the items that give a symbol (ListPrintCount); refuses with
// "リストに表示可能なデータがない為印刷出来ません。" when there is none; else the preview in list mode,
// and when it ends with "印刷", every such item. Code and both comments of the component, and
// ListPrintMode, are as before on every path, also after an error.
void ListPrint(PrintHost& host);

// Button9Click: the printer setup dialog; SameSizeSwitch off whatever the answer.
void PrinterSetup(PrintHost& host);

// UpDown8Click: the user changed the print magnification: SameSizeSwitch off.
void PrintMagnificationClicked(PrintHost& host);

// Panel7MouseDown / Panel8MouseDown: the spacing after a press of button with the modifiers
// (left takes away, right adds: Shift 10, Ctrl 5, Alt 2, else 1), within 0..2000.
int32_t SpacingAfterPress(int32_t value, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
// The panels' captions: "行間隔 = " and "列間隔 = " followed by the value.
QString RowSpaceCaption(int32_t value);
QString ColSpaceCaption(int32_t value);

// The symbol size report window, modal.
void ShowSymbolSize(PrintHost& host);

// The title of every print job.
QString JobTitle();

} // namespace zarvo::printing
