// The record that a set of files is being replaced (WriteFilesAtomically, filewrite.h): written
// whole and put in place before the first file of the set is renamed, removed after the last. A
// start that finds it knows which files belong to the set, where their new contents wait, where
// their old ones were kept, and how to tell new contents from old ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zarvo::shared {

struct JournalMember {
    std::string target;    // where the new contents go (links resolved)
    std::string temporary; // the new contents until they are renamed there
    std::string original;  // the old contents under a second name; "" when the target did not exist
    uint64_t size = 0;     // of the new contents
    uint64_t hash = 0;     // ContentHash of the new contents

    bool operator==(const JournalMember& o) const {
        return target == o.target && temporary == o.temporary && original == o.original && size == o.size &&
               hash == o.hash;
    }
};

inline constexpr uint64_t kContentHashStart = 0xcbf29ce484222325u;

// 64-bit FNV-1a of the bytes, continued from state (kContentHashStart for the first piece), so that
// a file read in pieces hashes as a whole. Tells contents apart; no defence against forgery.
uint64_t ContentHash(const void* data, size_t size, uint64_t state = kContentHashStart);

// The record as text: a version line, the number of members, each member's three names (each as
// its length and its bytes, so any byte may stand in a name) with size and hash, and a last line
// with the hash of everything before it.
std::string FormatJournal(const std::vector<JournalMember>& members);

// The members of a record made by FormatJournal; false (members untouched) for anything else: a
// record cut short at any byte, changed, or empty.
bool ParseJournal(const std::string& text, std::vector<JournalMember>& members);

} // namespace zarvo::shared
