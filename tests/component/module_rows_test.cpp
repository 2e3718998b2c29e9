// The module painting's vector loops against a pixel-by-pixel reading of the packed rows; the test
// DrawingWithoutAvx2 runs them again on the baseline loops.
#include "component/module_rows.h"

#include <gtest/gtest.h>
#include <memory>
#include <random>

namespace {

using zarvo::component::Bitmap;
using zarvo::component::PaintModuleRows;
using zarvo::encoder::ModuleMatrix;

// Random dark modules in the packed rows, nothing past the side (as the encoder leaves them).
std::unique_ptr<ModuleMatrix> RandomMatrix(int side, std::mt19937& random) {
    auto matrix = std::make_unique<ModuleMatrix>();
    matrix->side = side;
    for (int r = 0; r < side; ++r)
        for (int c = 0; c < side; ++c)
            if (random() & 1)
                matrix->dark[static_cast<size_t>(r)][static_cast<size_t>(c >> 6)] |= uint64_t{1} << (c & 63);
    return matrix;
}

Bitmap Speckled(int width, int height, std::mt19937& random) {
    Bitmap bitmap(width, height, 32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            reinterpret_cast<uint32_t*>(bitmap.Row(y))[x] = static_cast<uint32_t>(random());
    return bitmap;
}

// Sides of every version's size class around the 8-, 16- and 64-module steps, symbols flush with
// either edge or hanging over the top or bottom: the loops leave exactly the reference's pixels.
TEST(ModuleRows, PaintsEveryDarkModuleAndNothingElse) {
    std::mt19937 random(11);
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    for (const int side : {21, 25, 57, 63, 64, 65, 101, 127, 128, 129, 177}) {
        for (int round = 0; round < 8; ++round) {
            const auto matrix = RandomMatrix(side, random);
            const int width = side + pick(0, 40);
            const int height = side + pick(0, 10);
            const int x0 = round == 0 ? 0 : round == 1 ? width - side : pick(0, width - side);
            const int y0 = round == 2   ? -pick(1, side)
                           : round == 3 ? height - pick(1, side)
                                        : pick(0, height - side);
            const auto pixel = static_cast<uint32_t>(random()) | 0xFF000000u;
            const Bitmap ground = Speckled(width, height, random);

            Bitmap expected = ground;
            for (int r = 0; r < side; ++r) {
                const int y = y0 + r;
                if (y < 0 || y >= height)
                    continue;
                for (int c = 0; c < side; ++c)
                    if (matrix->dark[static_cast<size_t>(r)][static_cast<size_t>(c >> 6)] >> (c & 63) & 1)
                        reinterpret_cast<uint32_t*>(expected.Row(y))[x0 + c] = pixel;
            }
            Bitmap painted = ground;
            PaintModuleRows(painted, matrix->dark.data(), side, x0, y0, pixel);
            ASSERT_TRUE(painted == expected)
                << "side " << side << " at " << x0 << "," << y0 << " in " << width << " x " << height;
        }
    }
}

} // namespace
