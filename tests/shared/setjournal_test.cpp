#include "shared/setjournal.h"

#include <gtest/gtest.h>

namespace zarvo::shared {
namespace {

// A journal is read back only when it is exactly as written: one cut short by a crash, or one
// changed anywhere, must never be taken for a set.
TEST(SetJournal, ReadsBackOnlyWhatWasWrittenWhole) {
    const std::vector<JournalMember> members = {
        // names with every byte a name may hold: line ends, spaces, colons, digits, Shift-JIS
        {"/d/ZarvoUp.txt", "/d/.ZarvoUp.txt.a1B2c3", "/d/.ZarvoUp.txt.a1B2c3.old", 12, 0x0123456789abcdefu},
        {"/d/\x83\x66\x81\x5B\x83\x5E/Zarvo.dat", "/d/\n12:x\r\n.Zarvo.dat.Zz9999", "", 0,
         ContentHash("", 0)},
        {"/", "/.", "/..", uint64_t{1} << 40, ~uint64_t{0}},
    };
    const std::string text = FormatJournal(members);
    std::vector<JournalMember> read;
    ASSERT_TRUE(ParseJournal(text, read));
    EXPECT_EQ(read, members);

    const std::vector<JournalMember> untouched = {{"kept", "", "", 1, 2}};
    for (size_t cut = 0; cut < text.size(); ++cut) {
        read = untouched;
        EXPECT_FALSE(ParseJournal(text.substr(0, cut), read)) << "cut at " << cut;
        EXPECT_EQ(read, untouched);
    }
    for (size_t at = 0; at < text.size(); ++at) {
        std::string changed = text;
        changed[at] = static_cast<char>(changed[at] ^ 0x01);
        EXPECT_FALSE(ParseJournal(changed, read)) << "byte " << at << " changed";
    }
    EXPECT_FALSE(ParseJournal(text + "\n", read));

    std::vector<JournalMember> none;
    ASSERT_TRUE(ParseJournal(FormatJournal({}), none));
    EXPECT_TRUE(none.empty());
}

TEST(SetJournal, ContentHashContinuesAcrossPieces) {
    const std::string bytes = "Zarvo.dat in two pieces";
    EXPECT_EQ(ContentHash(bytes.data() + 5, bytes.size() - 5, ContentHash(bytes.data(), 5)),
              ContentHash(bytes.data(), bytes.size()));
    EXPECT_EQ(ContentHash("", 0), kContentHashStart);
    EXPECT_NE(ContentHash("ab", 2), ContentHash("ba", 2));
}

} // namespace
} // namespace zarvo::shared
