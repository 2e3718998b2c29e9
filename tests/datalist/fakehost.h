// A main window for the data list window's tests: its list, settings store and sort fields, with
// dialogs answered from a script and every call recorded.
#pragma once

#include "datalist/datalisthost.h"

#include <optional>
#include <vector>

namespace zarvo::datalist {

class FakeHost : public DataListHost {
  public:
    const DataList& List() const override { return list; }
    int32_t ItemIndex() const override { return itemIndex; }
    void ReplaceList(DataList items) override {
        list = std::move(items);
        ++replaced;
    }
    void SetListReturnIndex(int32_t index) override { returnIndex = index; }
    param::TParameter& Parameter1() override { return store; }
    int32_t& SortKey() override { return sortKey; }
    int32_t& SortOrder() override { return sortOrder; }
    void Inform(QWidget*, const QString& text) override { informed.push_back(text); }
    std::optional<component::TFont> ChooseFont(QWidget*, const component::TFont& initial) override {
        presetFont = initial;
        return nextFont;
    }
    std::optional<QString> InputQuery(QWidget*, const QString& caption, const QString& prompt,
                                      const QString& initial) override {
        queries.push_back({caption, prompt, initial});
        return nextInput;
    }
    bool CanPrintList() const override { return true; }
    void PrintList(QWidget*, const DataList& items, int32_t partition,
                   const component::TFont& font) override {
        prints.push_back({items, partition, font});
    }

    DataList list;
    int32_t itemIndex = -1;
    int replaced = 0;
    int32_t returnIndex = -99;
    param::TParameter store;
    int32_t sortKey = 0;
    int32_t sortOrder = 1;
    std::vector<QString> informed;
    std::optional<component::TFont> nextFont;
    std::optional<component::TFont> presetFont;
    std::optional<QString> nextInput;
    struct Query {
        QString caption, prompt, initial;
    };
    std::vector<Query> queries;
    struct Print {
        DataList items;
        int32_t partition;
        component::TFont font;
    };
    std::vector<Print> prints;
};

} // namespace zarvo::datalist
