#include "usb/PrinterModels.h"

#include <gtest/gtest.h>

#include <set>
#include <string_view>
#include <vector>

namespace kelvane {
namespace {

TEST(PrinterModels, TableKeepsItsInvariants) {
    std::set<std::uint32_t> words;
    int vendorRows = 0;
    for (std::uint32_t model = kFirstModel; model <= kLastModel; ++model) {
        const std::uint32_t word = g_PrinterModels[model].dwVidPid;
        EXPECT_NE(word, 0u) << "model " << model;
        EXPECT_NE(word, 0xFFFFFFFFu) << "model " << model;
        EXPECT_TRUE(words.insert(word).second) << "duplicate word in model " << model;
        vendorRows += (word >> 16) == 0x2E47 ? 1 : 0;
        EXPECT_EQ(std::u16string_view(g_PrinterModels[model].szModelCode).size(), 3u);
        const std::set<std::uint32_t> resolutions{300, 301, 310, 403};
        EXPECT_TRUE(resolutions.contains(g_PrinterModels[model].dwDpi)) << "model " << model;
        EXPECT_EQ(g_PrinterModels[model].dwNextRow, model == kLastModel ? 0xFFFFFFFF : model + 1);
    }
    EXPECT_EQ(vendorRows, 89);
}

TEST(PrinterModels, StartAndEndRowsAndTheTwoDetectedModelsAreExact) {
    const PrinterModel& start = g_PrinterModels[0];
    EXPECT_EQ(start.dwVidPid, 0u);
    EXPECT_EQ(std::u16string_view(start.szShortName), u"start");
    EXPECT_EQ(std::u16string_view(start.szModelCode), u"xxx");
    EXPECT_EQ(std::u16string_view(start.szFamily), u"");
    EXPECT_EQ(start.dwNextRow, 1u);
    EXPECT_EQ(start.dwClassCode, 15u);

    const PrinterModel& end = g_PrinterModels[92];
    EXPECT_EQ(end.dwVidPid, 0xFFFFFFFFu);
    EXPECT_EQ(std::u16string_view(end.szProductName), u"end");
    EXPECT_EQ(end.dwValue5, 20u);
    EXPECT_EQ(end.dwValue6, 0u);
    EXPECT_EQ(end.dwNextRow, 0u);

    for (const auto& [model, word, next, code] :
         {std::tuple{68u, 0x2E470502u, 69u, 40u}, std::tuple{91u, 0x2E47050Eu, 0xFFFFFFFFu, 0u}}) {
        const PrinterModel& row = g_PrinterModels[model];
        EXPECT_EQ(row.dwVidPid, word);
        EXPECT_EQ(row.dwDpi, 300u);
        EXPECT_EQ(row.dwPrintWidth, 1844u);
        EXPECT_EQ(row.dwPrintHeight, 2740u);
        EXPECT_EQ(row.dwValue4, 3000u);
        EXPECT_EQ(row.dwValue5, 5u);
        EXPECT_EQ(row.dwValue6, 1000u);
        EXPECT_EQ(row.dwNextRow, next);
        EXPECT_EQ(row.dwClassCode, code);
    }
}

TEST(PrinterModels, TextFormsOfTheDetectedModels) {
    EXPECT_EQ(VidPidOfModel(68), 0x2E470502u);
    EXPECT_EQ(VidPidOfModel(91), 0x2E47050Eu);
    EXPECT_EQ(FormatVidPidShort(VidPidOfModel(68)), u"VID_2E47&PID_0502");
    EXPECT_EQ(FormatInstanceIdPrefix(VidPidOfModel(68)), u"USB\\VID_2E47&PID_0502");
    EXPECT_EQ(FormatInstanceIdPrefix(VidPidOfModel(91)), u"USB\\VID_2E47&PID_050E");
    EXPECT_EQ(FormatInstanceIdPrefix(0).size(), 21u);
    EXPECT_EQ(FormatInstanceIdPrefix(0xFFFFFFFF).size(), 21u);
}

TEST(PrinterModels, VidPidOfNumbersOutsideTheModelsIsNoModelsWord) {
    EXPECT_EQ(VidPidOfModel(0), 0u);
    EXPECT_EQ(VidPidOfModel(92), 0u);
    EXPECT_EQ(VidPidOfModel(0xFFFFFFFF), 0u);
}

TEST(PrinterModels, ReverseLookupSearchesOnlyModelRows) {
    EXPECT_EQ(FindModelByVidPid(0x2E470502), 68u);
    EXPECT_EQ(FindModelByVidPid(0x2E47050E), 91u);
    EXPECT_EQ(FindModelByVidPid(g_PrinterModels[1].dwVidPid), 1u);
    EXPECT_EQ(FindModelByVidPid(0), std::nullopt) << "the start row is never searched";
    EXPECT_EQ(FindModelByVidPid(0xFFFFFFFF), std::nullopt) << "the end row is never searched";
    EXPECT_EQ(FindModelByVidPid(0x12345678), std::nullopt);
}

TEST(PrinterModels, DetectionListIsSixtyEightThenNinetyOne) {
    std::vector<std::uint32_t> models;
    for (const std::uint32_t* model = g_DetectModels; *model != 0; ++model) {
        models.push_back(*model);
    }
    EXPECT_EQ(models, (std::vector<std::uint32_t>{68, 91}));
}

}  // namespace
}  // namespace kelvane
