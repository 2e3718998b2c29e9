// What the data list window takes from the main window that opens it. The main window implements
// this over its own fields and its Dialogs seam; tests implement it with a scripted fake.
#pragma once

#include "component/picture/text.h"
#include "datalist/datalistmodel.h"
#include "param/param.h"

#include <QString>
#include <cstdint>
#include <optional>

class QWidget;

namespace zarvo::datalist {

class DataListHost {
  public:
    virtual ~DataListHost() = default;

    // The main window's data list (ComboBox1, ComboBox7, ComboBox8), read when the window opens.
    virtual const DataList& List() const = 0;
    // The selected index of ComboBox1, -1 for none: the window opens on that row.
    virtual int32_t ItemIndex() const = 0;
    // OK: the main window's three lists become these items.
    virtual void ReplaceList(DataList list) = 0;
    // At every close: the current grid row - 1 (ListReturnIndex); the main window selects that
    // item afterwards, brought into its list (DataList::ReturnIndex).
    virtual void SetListReturnIndex(int32_t index) = 0;

    // The settings store (Parameter1), where the window reads and writes its own keys.
    virtual param::TParameter& Parameter1() = 0;
    // The main window's sort settings, which the sort dialog shows and sets: SortKey 0 symbol
    // strings, 1 upper, 2 lower comments (other: none chosen yet); SortOrder +1 or -1.
    virtual int32_t& SortKey() = 0;
    virtual int32_t& SortOrder() = 0;

    // The dialogs, through the main window's scriptable seam.
    // A notice the user acknowledges (the data check's messages).
    virtual void Inform(QWidget* parent, const QString& text) = 0;
    // The font dialog preset to initial; nothing when the user cancels.
    virtual std::optional<component::TFont> ChooseFont(QWidget* parent, const component::TFont& initial) = 0;
    // An input box with a caption, a prompt and a preset text; nothing when the user cancels.
    virtual std::optional<QString> InputQuery(QWidget* parent, const QString& caption, const QString& prompt,
                                              const QString& initial) = 0;

    // "印刷": prints the items as the text listing in that many columns per page, in the grid's
    // font. The button is enabled only while CanPrintList says the listing is there.
    virtual bool CanPrintList() const { return false; }
    virtual void PrintList(QWidget* parent, const DataList& items, int32_t partition,
                           const component::TFont& font) = 0;
};

} // namespace zarvo::datalist
