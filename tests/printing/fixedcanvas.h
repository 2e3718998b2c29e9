// A text canvas for the layout's tests and its fuzz target: every character has a width of its
// own choosing (single-byte characters narrow, double-byte ones wide, unless a table says
// otherwise), every line the same height; what is drawn is recorded. No Qt.
#pragma once

#include "printing/textlayout.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace printingtest {

class FixedCanvas : public zarvo::printing::TextCanvas {
  public:
    struct Drawn {
        int32_t x, y;
        std::string text;
    };

    FixedCanvas(int32_t single = 10, int32_t wide = 20, int32_t height = 16)
        : single_(single), wide_(wide), height_(height) {}

    zarvo::printing::TextExtent Extent(std::string_view text) const override {
        measuredBytes += static_cast<long>(text.size());
        int32_t width = 0;
        for (size_t at = 0; at < text.size();) {
            const size_t n = zarvo::printing::CharacterBytes(text, at);
            width += WidthOf(text.substr(at, n));
            at += n;
        }
        return {width, height_};
    }
    void Draw(int32_t x, int32_t y, std::string_view text) override {
        drawn.push_back({x, y, std::string(text)});
    }

    // The width of one character (1 or 2 bytes).
    int32_t WidthOf(std::string_view character) const {
        if (widthOf)
            return widthOf(character);
        const auto found = widths.find(std::string(character));
        if (found != widths.end())
            return found->second;
        return character.size() == 2 ? wide_ : single_;
    }

    std::map<std::string, int32_t> widths;            // characters of other widths
    std::function<int32_t(std::string_view)> widthOf; // or a rule for all of them
    std::vector<Drawn> drawn;
    mutable long measuredBytes = 0; // bytes measured, all calls together

  private:
    int32_t single_, wide_, height_;
};

} // namespace printingtest
