#include "datalist/objectstream.h"

#include <gtest/gtest.h>
#include <random>

namespace zarvo::datalist {
namespace {

// Builds streams byte by byte: type bytes and lengths written out as the format has them.
struct Stream {
    std::vector<uint8_t> bytes;

    Stream& Raw(std::initializer_list<int> values) {
        for (int v : values)
            bytes.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    Stream& Text(const std::string& s) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        return *this;
    }
    Stream& U32(uint32_t v) {
        return Raw({int(v & 0xFF), int(v >> 8 & 0xFF), int(v >> 16 & 0xFF), int(v >> 24)});
    }
    Stream& Short(const std::string& s) { return Raw({int(s.size())}).Text(s); }
    Stream& Header() { return Text("TPF0").Short("TComboBox").Short("ComboBox1"); }
    Stream& Prop(const std::string& name) { return Short(name); }
    Stream& String(const std::string& s) { return Raw({6}).Short(s); }
    Stream& LString(const std::string& s) { return Raw({12}).U32(uint32_t(s.size())).Text(s); }
};

std::vector<std::string> Read(const std::vector<uint8_t>& bytes) {
    return ReadComboBoxStream(bytes.data(), bytes.size());
}

// A stream with a property of every type around "Items.Strings", a child object and trailing data
Stream EveryPropertyType() {
    Stream s;
    s.Text("TPF0").Raw({0xF2, 2, 5}).Short("TComboBox").Short("ComboBox1"); // filer flags, child position 5
    s.Prop("Left").Raw({3, 0x10, 0x01}).Prop("Top").Raw({2, 8}).Prop("Width").Raw({4, 0xA0, 0, 0, 0});
    s.Prop("Font.Charset").Raw({7}).Short("SHIFTJIS_CHARSET");
    s.Prop("Font.Style").Raw({11}).Short("fsBold").Short("fsItalic").Raw({0});
    s.Prop("Font.Name")
        .String("\x82\x6c\x82\x72 \x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e"); // ＭＳ Ｐゴシック
    s.Prop("ParentFont").Raw({8}).Prop("Visible").Raw({9}).Prop("PopupMenu").Raw({13});
    s.Prop("Ratio").Raw({5, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F});
    s.Prop("Picture.Data").Raw({10}).U32(5).Raw({0, 1, 6, 12, 0});
    s.Prop("Hint").LString("a long string property");
    s.Prop("Columns").Raw({14});
    s.Raw({1}).Prop("Width").Raw({2, 40}).Raw({0});              // an item
    s.Raw({2, 3, 1}).Prop("Title.Caption").String("x").Raw({0}); // an item with its order
    s.Raw({0});
    s.Prop("Single").Raw({15, 0, 0, 0x80, 0x3F}).Prop("Price").Raw({16, 1, 2, 3, 4, 5, 6, 7, 8});
    s.Prop("When").Raw({17, 0, 0, 0, 0, 0, 0, 0, 0}).Prop("Big").Raw({19, 1, 0, 0, 0, 0, 0, 0, 0x80});
    s.Prop("Caption").Raw({18}).U32(2).Raw({0x42, 0x30, 0, 0}); // two UTF-16 units
    s.Prop("TextHint").Raw({20}).U32(3).Text("\xE3\x81\x82");
    s.Prop("Ratio2").Raw({21, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F});
    s.Prop("Nested").Raw({1, 1, 2, 1, 6, 1, 'x', 0, 13, 0});
    s.Prop("Items.Strings").Raw({1}).String("A").LString("BC").String("").Raw({0});
    s.Prop("TabOrder").Raw({2, 0}).Prop("Text").String("A");
    s.Raw({0});                                                            // end of the properties
    s.Short("TButton").Short("Button1").Prop("Left").Raw({2, 1}).Raw({0}); // a child
    s.Raw({0}).Raw({0});                                                   // its children; ours end
    s.Text("anything after the end");
    return s;
}

TEST(ComboBoxStream, WritesTheListBoxLayout) {
    EXPECT_EQ(WriteComboBoxStream({}), Stream().Header().Raw({0, 0}).bytes);
    EXPECT_EQ(WriteComboBoxStream({"A", std::string(256, 'b')}), Stream()
                                                                     .Header()
                                                                     .Prop("Items.Strings")
                                                                     .Raw({1})
                                                                     .String("A")
                                                                     .LString(std::string(256, 'b'))
                                                                     .Raw({0, 0, 0})
                                                                     .bytes);

    // 255 bytes is the longest short string (type 6), 300 bytes a long one (type 12)
    const std::vector<uint8_t> at255 = WriteComboBoxStream({std::string(255, 'x')});
    const std::vector<uint8_t> at300 = WriteComboBoxStream({std::string(300, 'x')});
    const size_t first = 24 + 14 + 1; // signature, header, "Items.Strings", list type
    ASSERT_GT(at300.size(), first + 5);
    EXPECT_EQ(at255[first], 6);
    EXPECT_EQ(at255[first + 1], 255);
    EXPECT_EQ(at255.size(), first + 2 + 255 + 3);
    EXPECT_EQ(at300[first], 12);
    EXPECT_EQ(std::vector<uint8_t>(at300.begin() + first + 1, at300.begin() + first + 5),
              (std::vector<uint8_t>{0x2C, 0x01, 0, 0}));
}

TEST(ComboBoxStream, ReadsBackWhatItWrites) {
    std::vector<std::string> many;
    for (int i = 0; i < 10000; ++i) {
        const std::string key = std::to_string(i) + "\r\n\x83\x56" + std::string(1, char(i % 256));
        many.push_back(key + std::string((i % 2 ? 300 : 255) - key.size(), char('a' + i % 26)));
    }
    const std::vector<std::vector<std::string>> lists = {
        {},   {"only one"},
        {""}, {std::string("\0\x01\xFF", 3), std::string(255, '\0'), std::string(256, '\xFF')},
        many,
    };
    for (const auto& codes : lists)
        EXPECT_EQ(Read(WriteComboBoxStream(codes)), codes) << codes.size() << " items";
}

TEST(ComboBoxStream, SkipsEveryOtherPropertyByItsType) {
    EXPECT_EQ(Read(EveryPropertyType().bytes), (std::vector<std::string>{"A", "BC", ""}));

    // Any object names; property names without regard to case; the last of two lists counts
    Stream s;
    s.Text("TPF0").Short("TMyCombo").Short("").Prop("items.strings").Raw({1}).String("old").Raw({0});
    s.Prop("Items.Strings").Raw({1}).String("new").Raw({0, 0, 0});
    EXPECT_EQ(Read(s.bytes), (std::vector<std::string>{"new"}));
    // Without the property the list is empty
    EXPECT_EQ(Read(Stream().Header().Prop("Text").String("x").Raw({0, 0}).bytes), std::vector<std::string>());
}

TEST(ComboBoxStream, RefusesBrokenAndHostileStreams) {
    std::vector<uint8_t> deepLists = Stream().Header().Prop("Deep").bytes;
    deepLists.resize(deepLists.size() + 100000, 1);
    Stream deepObjects;
    deepObjects.Header().Raw({0});
    for (int i = 0; i < 40; ++i)
        deepObjects.Short("TPanel").Short("P").Raw({0});
    const auto items = [](std::initializer_list<int> value) {
        return Stream().Header().Prop("Items.Strings").Raw({1}).Raw(value).Raw({0, 0, 0}).bytes;
    };
    const auto property = [](std::initializer_list<int> value) {
        return Stream().Header().Prop("P").Raw(value).Raw({0, 0}).bytes;
    };
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* message;
    } cases[] = {
        {"empty", {}, "Zarvo.dat: not an object stream: the signature \"TPF0\" is missing"},
        {"other signature", Stream().Text("TPF1").Short("TComboBox").bytes, "signature"},
        {"signature only", Stream().Text("TPF0").bytes, "the stream ends inside an object header (offset 4)"},
        {"class name cut", Stream().Text("TPF0").Raw({9}).Text("TCom").bytes, "an object header (offset 4)"},
        {"no property end", Stream().Header().Prop("Top").Raw({2, 1}).bytes, "ends inside a property list"},
        {"no child list", Stream().Header().Raw({0}).bytes, "ends inside a child list (offset 25)"},
        {"integer cut", Stream().Header().Prop("P").Raw({4, 1, 2}).bytes, "ends inside a number (offset 26)"},
        {"long string of 4 GiB", items({12, 0xFF, 0xFF, 0xFF, 0xFF, 'a'}),
         "ends inside a string (offset 39)"},
        {"binary of 4 GiB", property({10, 0xFF, 0xFF, 0xFF, 0xFF}), "ends inside a binary value (offset 26)"},
        {"wide string of 2^31 units", property({18, 0, 0, 0, 0x80, 'a', 'b'}), "ends inside a string"},
        {"set without end", Stream().Header().Prop("P").Raw({11, 1, 'a'}).bytes, "ends inside a set"},
        {"type 0 as a value", property({0}), "unknown value type 0 (offset 26)"},
        {"type 22", property({22, 0}), "unknown value type 22"},
        {"type 255", property({255}), "unknown value type 255"},
        {"collection item not a list", property({14, 2, 1, 6, 0}),
         "a collection item that is not a property list"},
        {"lists nested 100000 deep", deepLists, "nested deeper than 32 levels"},
        {"objects nested 40 deep", deepObjects.bytes, "nested deeper than 32 levels"},
        {"child position not an integer", Stream().Text("TPF0").Raw({0xF2, 6, 1, 'x'}).bytes,
         "the child position of an object is not an integer"},
        {"items not a list", Stream().Header().Prop("Items.Strings").String("A").Raw({0, 0}).bytes,
         "\"Items.Strings\" is not a list but a value of type 6"},
        {"items hold an integer", items({6, 1, 'A', 2, 7}),
         "holds a value of type 2 that is not a string (offset 42)"},
        {"items hold a wide string", items({18, 1, 0, 0, 0, 'A', 0}), "holds a Unicode string"},
        {"items hold a UTF-8 string", items({20, 1, 0, 0, 0, 'A'}), "holds a Unicode string"},
        {"items without end", Stream().Header().Prop("Items.Strings").Raw({1}).String("A").bytes,
         "ends inside a list"},
    };
    for (const auto& c : cases) {
        try {
            Read(c.bytes);
            ADD_FAILURE() << c.what << ": no error";
        } catch (const StreamError& e) {
            const std::string message = e.what();
            EXPECT_EQ(message.rfind("Zarvo.dat: ", 0), 0u) << c.what << ": " << message;
            EXPECT_NE(message.find(c.message), std::string::npos) << c.what << ": " << message;
        }
    }
}

TEST(ComboBoxStream, SurvivesEveryTruncationAndRandomDamage) {
    // Each read gets a buffer of exactly its size, so that a sanitizer sees any read past the end
    const auto readCopy = [](const std::vector<uint8_t>& bytes, size_t size) {
        const std::vector<uint8_t> copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
        return ReadComboBoxStream(copy.data(), copy.size());
    };
    const std::vector<uint8_t> written = WriteComboBoxStream({"A", std::string(300, 'b'), "", "\x83\x56"});
    for (size_t n = 0; n < written.size(); ++n)
        EXPECT_THROW(readCopy(written, n), StreamError) << n << " of " << written.size() << " bytes";

    const std::vector<uint8_t> rich = EveryPropertyType().bytes;
    for (size_t n = 0; n <= rich.size(); ++n) {
        try {
            readCopy(rich, n);
        } catch (const StreamError&) {
        }
    }

    std::mt19937 random(20240611);
    for (int round = 0; round < 6000; ++round) {
        std::vector<uint8_t> damaged = round % 2 ? rich : written;
        const int flips = 1 + round % 4;
        for (int i = 0; i < flips; ++i) {
            const size_t at = random() % damaged.size();
            damaged[at] = static_cast<uint8_t>(round % 3 ? random() : damaged[at] ^ (1u << (random() % 8)));
        }
        try {
            readCopy(damaged, damaged.size());
        } catch (const StreamError&) {
        }
    }
}

} // namespace
} // namespace zarvo::datalist
