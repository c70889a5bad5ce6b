#include "app/PrinterContext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace kelvane {
namespace {

TEST(PrinterContext, IsZeroedOnConstruction) {
    // The heap keeps earlier contents; construction must clear every field all the same.
    auto storage = std::make_unique<unsigned char[]>(sizeof(CPrinterContext));
    std::memset(storage.get(), 0xA5, sizeof(CPrinterContext));
    auto* context = new (storage.get()) CPrinterContext;

    EXPECT_EQ(context->m_pUsb, nullptr);
    EXPECT_EQ(context->m_bModelBelow19, 0);
    const auto zero = [](const auto& field) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(&field);
        return std::all_of(bytes, bytes + sizeof(field), [](unsigned char b) { return b == 0; });
    };
    EXPECT_TRUE(zero(context->m_abyDeviceInfo));
    EXPECT_TRUE(zero(context->m_abyJobInfo));
    EXPECT_TRUE(zero(context->m_abyReadBuffer));
    EXPECT_TRUE(zero(context->m_abyWriteBuffer));
    EXPECT_TRUE(zero(context->m_dwWriteState));
    EXPECT_TRUE(zero(context->m_abyTrailer));
    context->~CPrinterContext();
}

TEST(PrinterContext, ModelFlagMarksTheFirstEighteenModels) {
    EXPECT_EQ(IsModelBelow19(1), 1);
    EXPECT_EQ(IsModelBelow19(18), 1);
    EXPECT_EQ(IsModelBelow19(19), 0);
    EXPECT_EQ(IsModelBelow19(68), 0);
    EXPECT_EQ(IsModelBelow19(91), 0);
}

}  // namespace
}  // namespace kelvane
