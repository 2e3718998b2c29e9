#include "shared/setjournal.h"

#include <cstdio>
#include <utility>

namespace zarvo::shared {

namespace {

const char kFirstLine[] = "Zarvo file set 1\n";
// Far above any real set or path; keeps a damaged count from asking for absurd memory
constexpr uint64_t kMaxMembers = 4096;
constexpr uint64_t kMaxName = 65536;

std::string Hex(uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

void AddName(std::string& text, const char* label, const std::string& name) {
    text += label;
    text += ' ';
    text += std::to_string(name.size());
    text += ':';
    text += name;
    text += '\n';
}

// Reads the record front to back; every step fails on the first byte out of place.
class Reader {
  public:
    explicit Reader(const std::string& text) : text_(text) {}

    bool Literal(const char* literal) {
        for (const char* c = literal; *c; ++c, ++at_)
            if (at_ >= text_.size() || text_[at_] != *c)
                return false;
        return true;
    }
    // Decimal digits, at least one, no leading zero unless alone
    bool Number(uint64_t& value, uint64_t max) {
        const size_t start = at_;
        value = 0;
        while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') {
            value = value * 10 + static_cast<uint64_t>(text_[at_] - '0');
            if (value > max)
                return false;
            ++at_;
        }
        return at_ > start && (at_ - start == 1 || text_[start] != '0');
    }
    bool HexNumber(uint64_t& value) {
        value = 0;
        for (int i = 0; i < 16; ++i, ++at_) {
            if (at_ >= text_.size())
                return false;
            const char c = text_[at_];
            const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
            if (digit < 0)
                return false;
            value = value << 4 | static_cast<uint64_t>(digit);
        }
        return true;
    }
    bool Name(const char* label, std::string& name) {
        uint64_t length = 0;
        if (!Literal(label) || !Literal(" ") || !Number(length, kMaxName) || !Literal(":") ||
            text_.size() - at_ < length)
            return false;
        name = text_.substr(at_, static_cast<size_t>(length));
        at_ += static_cast<size_t>(length);
        return Literal("\n");
    }
    size_t At() const { return at_; }
    bool AtEnd() const { return at_ == text_.size(); }

  private:
    const std::string& text_;
    size_t at_ = 0;
};

} // namespace

uint64_t ContentHash(const void* data, size_t size, uint64_t state) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
        state ^= bytes[i];
        state *= 0x100000001b3u;
    }
    return state;
}

std::string FormatJournal(const std::vector<JournalMember>& members) {
    std::string text = kFirstLine;
    text += "members " + std::to_string(members.size()) + "\n";
    for (const JournalMember& m : members) {
        AddName(text, "target", m.target);
        AddName(text, "temporary", m.temporary);
        AddName(text, "original", m.original);
        text += "contents " + std::to_string(m.size) + " " + Hex(m.hash) + "\n";
    }
    text += "check " + Hex(ContentHash(text.data(), text.size())) + "\n";
    return text;
}

bool ParseJournal(const std::string& text, std::vector<JournalMember>& members) {
    Reader r(text);
    uint64_t count = 0;
    if (!r.Literal(kFirstLine) || !r.Literal("members ") || !r.Number(count, kMaxMembers) || !r.Literal("\n"))
        return false;
    std::vector<JournalMember> read(static_cast<size_t>(count));
    for (JournalMember& m : read) {
        if (!r.Name("target", m.target) || !r.Name("temporary", m.temporary) ||
            !r.Name("original", m.original) || !r.Literal("contents ") ||
            !r.Number(m.size, uint64_t{1} << 62) || !r.Literal(" ") || !r.HexNumber(m.hash) ||
            !r.Literal("\n"))
            return false;
    }
    const size_t checked = r.At();
    uint64_t check = 0;
    if (!r.Literal("check ") || !r.HexNumber(check) || !r.Literal("\n") || !r.AtEnd() ||
        check != ContentHash(text.data(), checked))
        return false;
    members = std::move(read);
    return true;
}

} // namespace zarvo::shared
