// Encoding a symbol must not touch the heap: the encoder owns all its storage at its largest size.
// This file replaces the global allocation functions of the test program with counting ones; they
// count only while a test has opened a window.
#include "encoder/encoder.h"
#include "tests/encoder/test_support.h"

#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

std::atomic<bool> gCounting{false};
std::atomic<long> gAllocations{0};

void* Allocate(std::size_t n) {
    if (gCounting.load(std::memory_order_relaxed))
        gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n == 0 ? 1 : n))
        return p;
    throw std::bad_alloc();
}

void* AllocateAligned(std::size_t n, std::align_val_t al) {
    if (gCounting.load(std::memory_order_relaxed))
        gAllocations.fetch_add(1, std::memory_order_relaxed);
    const auto align = static_cast<std::size_t>(al);
    const std::size_t size = (n + align - 1) / align * align;
    if (void* p = std::aligned_alloc(align, size == 0 ? align : size))
        return p;
    throw std::bad_alloc();
}

// Counts the allocations made while it lives.
class AllocationWindow {
  public:
    AllocationWindow() {
        gAllocations = 0;
        gCounting = true;
    }
    ~AllocationWindow() { gCounting = false; }
    long Count() const { return gAllocations.load(); }
};

} // namespace

void* operator new(std::size_t n) {
    return Allocate(n);
}
void* operator new[](std::size_t n) {
    return Allocate(n);
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    try {
        return Allocate(n);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    try {
        return Allocate(n);
    } catch (...) {
        return nullptr;
    }
}
void* operator new(std::size_t n, std::align_val_t al) {
    return AllocateAligned(n, al);
}
void* operator new[](std::size_t n, std::align_val_t al) {
    return AllocateAligned(n, al);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}

namespace zarvo::encoder {
namespace {

using test_support::Bytes;
using test_support::Len;

TEST(Allocation, TheCounterSeesAllocations) {
    long allocations = 0;
    {
        AllocationWindow window;
        void* p = ::operator new(16); // a direct call cannot be optimised away
        ::operator delete(p);
        allocations = window.Count();
    }
    EXPECT_EQ(allocations, 1);
}

TEST(Allocation, EncodeOneAllocatesNothing) {
    // clang-format off
    struct {
        int32_t version, level, emode, masktype;
        std::string piece;
    } cases[] = {
        {1, kLevelM, -1, -1, "01234567"},
        {1, kLevelL, -1, 3, ""},
        {1, kLevelH, kModeKanji, -1, "\x88\x9f\x88\x9f"},
        {10, kLevelM, -1, -1, "HELLO world 1234567890 \x88\x9f\x88\x9f abc"},
        {10, kLevelQ, kModeAlphanumeric, 5, std::string(100, 'Z')},
        {10, kLevelQ, kModeNumeric, -1, "12A"}, // fails
        {40, kLevelL, -1, -1, std::string(7089, '9')},
        {40, kLevelH, kModeByte, 7, std::string(1273, '\xFE')},
        {40, kLevelL, -1, -1, std::string(3000, 'x')}, // does not fit
    };
    // clang-format on
    auto enc = std::make_unique<SymbolEncoder>();
    for (const auto& c : cases) {
        enc->Version = c.version;
        enc->Eclevel = c.level;
        enc->Emode = c.emode;
        enc->EmodeR = c.emode;
        enc->Masktype = c.masktype;
        enc->MasktypeR = c.masktype;
        long allocations = 0;
        {
            AllocationWindow window;
            enc->SetPiece(Bytes(c.piece), Len(c.piece));
            enc->EncodeOne();
            (void)enc->Capacity();
            allocations = window.Count();
        }
        EXPECT_EQ(allocations, 0) << "version " << c.version << " mode " << c.emode << " mask " << c.masktype;
    }
}

TEST(Allocation, AWalkOverAThousandPiecesAllocatesNothing) {
    std::string data;
    for (int i = 0; data.size() < 1024 * 20; ++i)
        data += std::to_string(i * 7919) + (i % 3 ? "-ABC " : " abc ");
    auto enc = std::make_unique<SymbolEncoder>();
    enc->Version = 3;
    enc->Eclevel = kLevelM;
    enc->Count = 1024;
    long allocations = 0;
    int encoded = 0;
    {
        AllocationWindow window;
        enc->Divide(Bytes(data), Len(data));
        enc->CheckDivision(Bytes(data), Len(data));
        for (int32_t k = 1; k <= enc->Count; ++k)
            encoded += enc->EncodePiece(k, Bytes(data), Len(data)) == PieceResult::Encoded;
        allocations = window.Count();
    }
    EXPECT_EQ(enc->Count, 1024);
    EXPECT_EQ(encoded, 1024);
    EXPECT_EQ(allocations, 0);
}

} // namespace
} // namespace zarvo::encoder
