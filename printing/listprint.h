// List print: every item of the data list as its own symbol picture with its own comments,
// flowed over the pages in list order.
#pragma once

#include "datalist/datalistmodel.h"
#include "printing/printgeometry.h"

#include <QString>
#include <cstdint>
#include <string>

namespace zarvo::component {
class TQRCode;
}

namespace zarvo::printing {

class PrintDevice;

// Loads item i into the component as one batch (SymbolEnabled off; CommentUp, CommentDown, Code;
// SymbolEnabled on, which draws once). True when the item gives a symbol (SymbolDisped).
bool LoadItem(component::TQRCode& qr, const datalist::DataList& items, int32_t i);

// The counting pass: with SymbolDebug on (encoded, nothing painted), Code is set to every item's
// symbol string in turn; the number of items that give a symbol. SymbolDebug is off afterwards,
// also when an error leaves.
int32_t CountPrintable(component::TQRCode& qr, const datalist::DataList& items);

// The printed size of the component's current picture, at least 1 × 1 printer pixels.
struct PrintedSize {
    int64_t Width, Height;
};
PrintedSize PrintedSizeOf(const component::TQRCode& qr, const Measurements& m, int32_t magnification);

// Prints the items that give a symbol, each loaded into the component and stretch-drawn where
// the flow places it, as one job titled title. The component is left holding the last item.
void PrintList(PrintDevice& device, const QString& title, component::TQRCode& qr,
               const datalist::DataList& items, const Measurements& m, int32_t magnification,
               int32_t colSpace, int32_t rowSpace);

// The component's Code and comments, saved to be put back by Restore (SymbolEnabled off,
// CommentUp, CommentDown, Code, SymbolEnabled on). When an error leaves before that, the
// destructor puts them back, and an error of its own gives way to the one leaving.
class SavedSymbol {
  public:
    explicit SavedSymbol(component::TQRCode& qr);
    ~SavedSymbol();
    SavedSymbol(const SavedSymbol&) = delete;
    SavedSymbol& operator=(const SavedSymbol&) = delete;
    void Restore();

  private:
    component::TQRCode& qr_;
    std::string code_, up_, down_;
    bool restored_ = false;
};

} // namespace zarvo::printing
