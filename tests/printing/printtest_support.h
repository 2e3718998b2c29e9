// A main window for printing tests: the component, the data list, the print controls' values and
// fields, scripted dialogs, a fake clipboard, the recording printer and a progress window; and the
// way a user answers the modal windows printing opens.
#pragma once

#include "component/clipboard.h"
#include "component/qrcode.h"
#include "datalist/datalistmodel.h"
#include "printing/printhost.h"
#include "printing/progress.h"
#include "shared/cp932.h"
#include "shared/dialogs.h"
#include "tests/printing/recordingdevice.h"
#include "tests/support/japanese_items.h"
#include "tests/support/modal.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/text.h"

#include <QApplication>
#include <QDialog>
#include <QMimeData>
#include <QPrinter>
#include <QTest>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace printingtest {

using zarvo::testsupport::WithModal;

using zarvo::component::TQRCode;
using zarvo::printing::PrintFields;

using zarvo::testsupport::S;
using zarvo::testsupport::U;

using ScriptedDialogs = zarvo::testsupport::ScriptedDialogs;
using FakeClipboard = zarvo::testsupport::FakeClipboard;

// The main window as printing sees it, set up as the main window sets up QRCode1 (Match, centred
// comments, spaces 10, the 12-pixel comment font), version 3 level M, Pxmag 2.
class FakeHost : public zarvo::printing::PrintHost {
  public:
    FakeHost() : clipboard(std::make_shared<FakeClipboard>()), qr(clipboard) {
        zarvo::component::SetUpAsMainSymbol(qr, 10);
        qr.SetVersion(3);
        qr.SetEclevel(1);
        qr.SetPxmag(2);
        qr.SetSymbolEnabled(true);
        window.resize(300, 200);
    }

    QWidget* HostWindow() override { return &window; }
    TQRCode& QRCode1() override { return qr; }
    const zarvo::datalist::DataList& List() const override { return list; }
    int32_t PrintCount() const override { return printCount; }
    int32_t PrintMagnification() const override { return magnification; }
    void SetPrintMagnification(int32_t percent) override { magnification = std::clamp(percent, 10, 1000); }
    PrintFields& PrintState() override { return fields; }
    const std::string& ProgramDir() const override { return programDir; }
    zarvo::shared::Dialogs& TheDialogs() override { return dialogs; }
    zarvo::component::Clipboard& TheClipboard() override { return *clipboard; }
    zarvo::printing::PrintDevice& ThePrinter() override { return *printer; }
    zarvo::printing::TProgressForm& TheProgressForm() override { return progress; }

    // Shows item i as the main window shows a chosen item.
    void Show(int32_t i) {
        qr.SetSymbolEnabled(false);
        qr.SetCommentUp(list.Up(i));
        qr.SetCommentDown(list.Down(i));
        qr.SetCode(list.Code(i));
        qr.SetSymbolEnabled(true);
    }

    QWidget window;
    std::shared_ptr<FakeClipboard> clipboard;
    TQRCode qr;
    zarvo::datalist::DataList list;
    int32_t printCount = 1;
    int32_t magnification = 100;
    PrintFields fields;
    std::string programDir = "/tmp";
    ScriptedDialogs dialogs;
    RecordingDevice recorder;
    zarvo::printing::PrintDevice* printer = &recorder;
    zarvo::printing::TProgressForm progress;
};

// "ＭＳ Ｐゴシック" 9 point: the data list window's own font, and its grid's at first.
inline zarvo::component::TFont Gothic9() {
    zarvo::component::TFont font;
    font.Name = S("ＭＳ Ｐゴシック");
    font.Size = 9;
    return font;
}

// Long lines for the text printer (CP932): n times "漢字東京", and n times "The quick brown fox WWW ".
inline std::string KanjiLine(int n) {
    std::string line;
    for (int i = 0; i < n; ++i)
        line += S("漢字東京");
    return line;
}
inline std::string LatinLine(int n) {
    std::string line;
    for (int i = 0; i < n; ++i)
        line += "The quick brown fox WWW ";
    return line;
}

using zarvo::testsupport::JapaneseItems;

} // namespace printingtest
