// The data list: the user's items, each a symbol string with an upper and a lower comment, kept as
// three parallel lists of CP932 byte strings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zarvo::datalist {

// Three lists of equal length; entry i of each belongs to item i. Every operation touches the same
// index in all three, so the lengths never differ. Strings are bytes, compared byte for byte.
// Indices out of range throw std::out_of_range; nothing is changed then.
class DataList {
  public:
    // Number of items, 0..INT32_MAX.
    int32_t Count() const { return static_cast<int32_t>(codes_.size()); }

    // Item i's symbol string, upper comment and lower comment; i in 0..Count()-1.
    const std::string& Code(int32_t i) const;
    const std::string& Up(int32_t i) const;
    const std::string& Down(int32_t i) const;

    const std::vector<std::string>& Codes() const { return codes_; }
    const std::vector<std::string>& Ups() const { return ups_; }
    const std::vector<std::string>& Downs() const { return downs_; }

    // Index of the first symbol string equal to code, or -1.
    int32_t Find(const std::string& code) const;

    // Adds an item at the end, or at index (0..Count()) moving the later ones up. Duplicate symbol
    // strings are not refused here (callers select the existing item instead). Throws
    // std::length_error when Count() is INT32_MAX.
    void Append(std::string code, std::string up, std::string down);
    void Insert(int32_t index, std::string code, std::string up, std::string down);

    // Removes item index (0..Count()-1).
    void Delete(int32_t index);

    // Exchanges items a and b (both 0..Count()-1) in all three lists; a == b changes nothing.
    void ExchangeRows(int32_t a, int32_t b);

    // Puts the items in the order given: item i becomes the item that stood at order[i]. order
    // must hold every index 0..Count()-1 once (std::invalid_argument otherwise, nothing changed).
    void Reorder(const std::vector<int32_t>& order);

    // Replaces both comments of item index (0..Count()-1).
    void SetComments(int32_t index, std::string up, std::string down);

    // The rules of the main window's list commands. current is the index of the item shown last
    // (-1: none); indices returned are those to select.

    // Where a new item goes: directly after the current one (current + 1 brought into 0..Count()),
    // so the front when nothing is current.
    int32_t InsertPosition(int32_t current) const;
    // Selects the first item whose symbol string equals code, or inserts the item at
    // InsertPosition(current). Returns the index to select.
    struct Placement {
        int32_t Index = -1;
        bool Inserted = false;
    };
    Placement SelectOrInsert(int32_t current, std::string code, std::string up, std::string down);
    // Removes item index (0..Count()-1) and returns its neighbour to select: the item that took its
    // place, the new last one when it was last, -1 when the list is empty now.
    int32_t DeleteItem(int32_t index);
    // Exchanges item index (0..Count()-1) with the previous (up) or the next one and returns where
    // it went; at either end nothing moves and index comes back.
    int32_t MoveItem(int32_t index, bool up);
    // The index to select after the data list window handed back returned: -1 in an empty list,
    // otherwise returned brought into 0..Count()-1.
    int32_t ReturnIndex(int32_t returned) const;

    // Replaces the whole list. Throws std::invalid_argument unless the three lengths are equal,
    // std::length_error beyond INT32_MAX items; the list is unchanged then.
    void Assign(std::vector<std::string> codes, std::vector<std::string> ups, std::vector<std::string> downs);

    void Clear();

    bool operator==(const DataList& other) const;
    bool operator!=(const DataList& other) const { return !(*this == other); }

  private:
    size_t CheckedIndex(int32_t i, const char* operation) const;

    std::vector<std::string> codes_;
    std::vector<std::string> ups_;
    std::vector<std::string> downs_;
};

// Throws std::invalid_argument (naming operation) unless order holds each of 0..count-1 once.
void CheckPermutation(const std::vector<int32_t>& order, size_t count, const char* operation);

} // namespace zarvo::datalist
