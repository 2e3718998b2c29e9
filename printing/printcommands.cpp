#include "printing/printcommands.h"

#include "component/qrcode.h"
#include "printing/listprint.h"
#include "printing/normalprint.h"
#include "printing/preview.h"
#include "printing/printdevice.h"
#include "printing/printgeometry.h"
#include "printing/printhost.h"
#include "printing/symbolsize.h"
#include "printing/uitext.h"
#include "shared/dialogs.h"

#include <exception>

namespace zarvo::printing {

namespace {

// Runs a command; an error that ends it is reported, as the program's error report does.
template <typename F> void Reporting(PrintHost& host, F&& command) {
    try {
        command();
    } catch (const std::exception& e) {
        host.TheDialogs().Error(host.HostWindow(), QString::fromUtf8(e.what()));
    }
}

Measurements MeasurementsOf(const PrintFields& f) {
    return Measurements{f.PrinterDpiX, f.PrinterDpiY, f.PageWidth, f.PageHeight, f.ScreenDpiX, f.ScreenDpiY};
}

// The preview, modal; true when the user left it with "印刷".
bool Previewed(PrintHost& host) {
    TPreviewForm preview(host);
    return preview.exec() == QDialog::Accepted;
}

// ListPrintMode from here to the end of the list print, on every path.
class ListModeScope {
  public:
    explicit ListModeScope(PrintFields& fields) : fields_(fields) { fields_.ListPrintMode = true; }
    ~ListModeScope() { fields_.ListPrintMode = false; }
    ListModeScope(const ListModeScope&) = delete;
    ListModeScope& operator=(const ListModeScope&) = delete;

  private:
    PrintFields& fields_;
};

} // namespace

QString JobTitle() {
    return QStringLiteral("Zarvo");
}

void NormalPrint(PrintHost& host) {
    Reporting(host, [&] {
        component::TQRCode& qr = host.QRCode1();
        if (!qr.SymbolDisped() || host.List().Count() == 0) {
            host.TheDialogs().Inform(host.HostWindow(), U("シンボルを表示中でないと印刷出来ません。"));
            return;
        }
        if (!Previewed(host))
            return;
        // The magnification as the preview's "等倍" may have left it
        const PrintFields& f = host.PrintState();
        const PrintGeometry g = ComputeGeometry(MeasurementsOf(f), host.PrintMagnification(), qr.Width(),
                                                qr.Height(), f.PrintColSpace, f.PrintRowSpace);
        const component::Picture picture = qr.Picture();
        PrintNormal(host.ThePrinter(), JobTitle(), picture, g, host.PrintCount());
    });
}

void ListPrint(PrintHost& host) {
    Reporting(host, [&] {
        component::TQRCode& qr = host.QRCode1();
        PrintFields& f = host.PrintState();
        // Destroyed in reverse: the component is put back first, then ListPrintMode
        const ListModeScope listMode(f);
        SavedSymbol saved(qr);
        f.ListPrintCount = CountPrintable(qr, host.List());
        if (host.List().Count() == 0 || f.ListPrintCount == 0) {
            host.TheDialogs().Inform(host.HostWindow(),
                                     U("リストに表示可能なデータがない為印刷出来ません。"));
        } else if (Previewed(host)) {
            const datalist::DataList items = host.List();
            PrintList(host.ThePrinter(), JobTitle(), qr, items, MeasurementsOf(f), host.PrintMagnification(),
                      f.PrintColSpace, f.PrintRowSpace);
        }
        saved.Restore();
    });
}

void PrinterSetup(PrintHost& host) {
    Reporting(host, [&] { host.ThePrinter().SetUp(host.HostWindow(), host.TheDialogs()); });
    host.PrintState().SameSizeSwitch = false;
}

void PrintMagnificationClicked(PrintHost& host) {
    host.PrintState().SameSizeSwitch = false;
}

int32_t SpacingAfterPress(int32_t value, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    const MouseButton which = button == Qt::LeftButton    ? MouseButton::Left
                              : button == Qt::RightButton ? MouseButton::Right
                                                          : MouseButton::Other;
    return StepSpacing(value, SpacingStep(which, modifiers.testFlag(Qt::ShiftModifier),
                                          modifiers.testFlag(Qt::ControlModifier),
                                          modifiers.testFlag(Qt::AltModifier)));
}

QString RowSpaceCaption(int32_t value) {
    return U("行間隔 = %1").arg(value);
}

QString ColSpaceCaption(int32_t value) {
    return U("列間隔 = %1").arg(value);
}

void ShowSymbolSize(PrintHost& host) {
    Reporting(host, [&] {
        TSymbolSizeForm form(host);
        form.exec();
    });
}

} // namespace zarvo::printing
