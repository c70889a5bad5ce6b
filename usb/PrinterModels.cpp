#include "usb/PrinterModels.h"

#include "common/WideFormat.h"

namespace kelvane {

// clang-format off
const PrinterModel g_PrinterModels[kModelRowCount] = {
    {0x00000000, 300, 1248, 1824, 50, 30, 100, u"start", u"start", u"xxx", u"", 1, 15},  // start row
    {0x2E470401, 301, 1248, 1844, 100, 5, 0, u"P01", u"Lumo P01 Photo Printer", u"pab", u"Lumo", 2, 1},  // 1
    {0x2E470402, 310, 1280, 1920, 1500, 5, 100, u"P02", u"Lumo P02 Photo Printer", u"pac", u"Lumo", 3, 2},  // 2
    {0x2E470403, 403, 1844, 2740, 3000, 5, 100, u"P03", u"Lumo P03 Photo Printer", u"pad", u"Lumo", 4, 3},  // 3
    {0x2E470404, 300, 1248, 1824, 50, 10, 500, u"P04", u"Lumo P04 Photo Printer", u"pae", u"Lumo", 5, 4},  // 4
    {0x2E470405, 301, 1248, 1844, 100, 10, 500, u"P05", u"Lumo P05 Photo Printer", u"paf", u"Lumo", 6, 5},  // 5
    {0x2E470406, 310, 1280, 1920, 1500, 10, 1000, u"P06", u"Lumo P06 Photo Printer", u"pag", u"Lumo", 7, 6},  // 6
    {0x2E470407, 403, 1844, 2740, 3000, 10, 1000, u"P07", u"Lumo P07 Photo Printer", u"pah", u"Lumo", 8, 7},  // 7
    {0x2E470408, 300, 1248, 1824, 50, 20, 0, u"P08", u"Lumo P08 Photo Printer", u"pai", u"Lumo", 9, 8},  // 8
    {0x2E470409, 301, 1248, 1844, 100, 20, 0, u"P09", u"Lumo P09 Photo Printer", u"paj", u"Lumo", 10, 9},  // 9
    {0x2E47040A, 310, 1280, 1920, 1500, 20, 100, u"P10", u"Lumo P10 Photo Printer", u"pak", u"Lumo", 11, 10},  // 10
    {0x2E47040B, 403, 1844, 2740, 3000, 20, 100, u"P11", u"Lumo P11 Photo Printer", u"pal", u"Lumo", 12, 11},  // 11
    {0x2E47040C, 300, 1248, 1824, 50, 30, 500, u"P12", u"Lumo P12 Photo Printer", u"pam", u"Lumo", 13, 12},  // 12
    {0x2E47040D, 301, 1248, 1844, 100, 30, 500, u"P13", u"Lumo P13 Photo Printer", u"pan", u"Lumo", 14, 13},  // 13
    {0x2E47040E, 310, 1280, 1920, 1500, 30, 1000, u"P14", u"Lumo P14 Photo Printer", u"pao", u"Lumo", 15, 14},  // 14
    {0x2E47040F, 403, 1844, 2740, 3000, 30, 1000, u"P15", u"Lumo P15 Photo Printer", u"pap", u"Lumo", 16, 15},  // 15
    {0x2E470410, 300, 1248, 1824, 50, 5, 0, u"P16", u"Lumo P16 Photo Printer", u"paq", u"Lumo", 17, 16},  // 16
    {0x2E470411, 301, 1248, 1844, 100, 5, 0, u"P17", u"Lumo P17 Photo Printer", u"par", u"Lumo", 18, 17},  // 17
    {0x2E470412, 310, 1280, 1920, 1500, 5, 100, u"P18", u"Lumo P18 Photo Printer", u"pas", u"Lumo", 19, 18},  // 18
    {0x2E470413, 403, 1844, 2740, 3000, 5, 100, u"P19", u"Lumo P19 Photo Printer", u"pat", u"Lumo", 20, 19},  // 19
    {0x2E470414, 300, 1248, 1824, 50, 10, 500, u"P20", u"Lumo P20 Photo Printer", u"pau", u"Lumo", 21, 20},  // 20
    {0x2E470415, 301, 1248, 1844, 100, 10, 500, u"P21", u"Lumo P21 Photo Printer", u"pav", u"Lumo", 22, 21},  // 21
    {0x2E470416, 310, 1280, 1920, 1500, 10, 1000, u"P22", u"Lumo P22 Photo Printer", u"paw", u"Lumo", 23, 22},  // 22
    {0x7A310417, 403, 1844, 2740, 3000, 10, 1000, u"X23", u"Partner X23 Photo Printer", u"pax", u"Partner", 24, 23},  // 23
    {0x2E470418, 300, 1248, 1824, 50, 20, 0, u"P24", u"Lumo P24 Photo Printer", u"pay", u"Lumo", 25, 24},  // 24
    {0x2E470419, 301, 1248, 1844, 100, 20, 0, u"P25", u"Lumo P25 Photo Printer", u"paz", u"Lumo", 26, 25},  // 25
    {0x2E47041A, 310, 1280, 1920, 1500, 20, 100, u"P26", u"Lumo P26 Photo Printer", u"pba", u"Lumo", 27, 26},  // 26
    {0x2E47041B, 403, 1844, 2740, 3000, 20, 100, u"P27", u"Lumo P27 Photo Printer", u"pbb", u"Lumo", 28, 27},  // 27
    {0x2E47041C, 300, 1248, 1824, 50, 30, 500, u"P28", u"Lumo P28 Photo Printer", u"pbc", u"Lumo", 29, 28},  // 28
    {0x2E47041D, 301, 1248, 1844, 100, 30, 500, u"P29", u"Lumo P29 Photo Printer", u"pbd", u"Lumo", 30, 29},  // 29
    {0x2E47041E, 310, 1280, 1920, 1500, 30, 1000, u"P30", u"Lumo P30 Photo Printer", u"pbe", u"Lumo", 31, 30},  // 30
    {0x2E47041F, 403, 1844, 2740, 3000, 30, 1000, u"P31", u"Lumo P31 Photo Printer", u"pbf", u"Lumo", 32, 31},  // 31
    {0x2E470420, 300, 1248, 1824, 50, 5, 0, u"P32", u"Lumo P32 Photo Printer", u"pbg", u"Lumo", 33, 32},  // 32
    {0x2E470421, 301, 1248, 1844, 100, 5, 0, u"P33", u"Lumo P33 Photo Printer", u"pbh", u"Lumo", 34, 33},  // 33
    {0x2E470422, 310, 1280, 1920, 1500, 5, 100, u"P34", u"Lumo P34 Photo Printer", u"pbi", u"Lumo", 35, 34},  // 34
    {0x2E470423, 403, 1844, 2740, 3000, 5, 100, u"P35", u"Lumo P35 Photo Printer", u"pbj", u"Lumo", 36, 35},  // 35
    {0x2E470424, 300, 1248, 1824, 50, 10, 500, u"P36", u"Lumo P36 Photo Printer", u"pbk", u"Lumo", 37, 36},  // 36
    {0x2E470425, 301, 1248, 1844, 100, 10, 500, u"P37", u"Lumo P37 Photo Printer", u"pbl", u"Lumo", 38, 37},  // 37
    {0x2E470426, 310, 1280, 1920, 1500, 10, 1000, u"P38", u"Lumo P38 Photo Printer", u"pbm", u"Lumo", 39, 38},  // 38
    {0x2E470427, 403, 1844, 2740, 3000, 10, 1000, u"P39", u"Lumo P39 Photo Printer", u"pbn", u"Lumo", 40, 39},  // 39
    {0x2E470428, 300, 1248, 1824, 50, 20, 0, u"P40", u"Lumo P40 Photo Printer", u"pbo", u"Lumo", 41, 40},  // 40
    {0x2E470429, 301, 1248, 1844, 100, 20, 0, u"P41", u"Lumo P41 Photo Printer", u"pbp", u"Lumo", 42, 41},  // 41
    {0x2E47042A, 310, 1280, 1920, 1500, 20, 100, u"P42", u"Lumo P42 Photo Printer", u"pbq", u"Lumo", 43, 42},  // 42
    {0x2E47042B, 403, 1844, 2740, 3000, 20, 100, u"P43", u"Lumo P43 Photo Printer", u"pbr", u"Lumo", 44, 43},  // 43
    {0x2E47042C, 300, 1248, 1824, 50, 30, 500, u"P44", u"Lumo P44 Photo Printer", u"pbs", u"Lumo", 45, 44},  // 44
    {0x2E47042D, 301, 1248, 1844, 100, 30, 500, u"P45", u"Lumo P45 Photo Printer", u"pbt", u"Lumo", 46, 45},  // 45
    {0x2E47042E, 310, 1280, 1920, 1500, 30, 1000, u"P46", u"Lumo P46 Photo Printer", u"pbu", u"Lumo", 47, 46},  // 46
    {0x2E47042F, 403, 1844, 2740, 3000, 30, 1000, u"P47", u"Lumo P47 Photo Printer", u"pbv", u"Lumo", 48, 47},  // 47
    {0x2E470430, 300, 1248, 1824, 50, 5, 0, u"P48", u"Lumo P48 Photo Printer", u"pbw", u"Lumo", 49, 0},  // 48
    {0x2E470431, 301, 1248, 1844, 100, 5, 0, u"P49", u"Lumo P49 Photo Printer", u"pbx", u"Lumo", 50, 1},  // 49
    {0x2E470432, 310, 1280, 1920, 1500, 5, 100, u"P50", u"Lumo P50 Photo Printer", u"pby", u"Lumo", 51, 2},  // 50
    {0x2E470433, 403, 1844, 2740, 3000, 5, 100, u"P51", u"Lumo P51 Photo Printer", u"pbz", u"Lumo", 52, 3},  // 51
    {0x2E470434, 300, 1248, 1824, 50, 10, 500, u"P52", u"Lumo P52 Photo Printer", u"pca", u"Lumo", 53, 4},  // 52
    {0x2E470435, 301, 1248, 1844, 100, 10, 500, u"P53", u"Lumo P53 Photo Printer", u"pcb", u"Lumo", 54, 5},  // 53
    {0x2E470436, 310, 1280, 1920, 1500, 10, 1000, u"P54", u"Lumo P54 Photo Printer", u"pcc", u"Lumo", 55, 6},  // 54
    {0x2E470437, 403, 1844, 2740, 3000, 10, 1000, u"P55", u"Lumo P55 Photo Printer", u"pcd", u"Lumo", 56, 7},  // 55
    {0x2E470438, 300, 1248, 1824, 50, 20, 0, u"P56", u"Lumo P56 Photo Printer", u"pce", u"Lumo", 57, 8},  // 56
    {0x5E2D0439, 301, 1248, 1844, 100, 20, 0, u"X57", u"Partner X57 Photo Printer", u"pcf", u"Partner", 58, 9},  // 57
    {0x2E47043A, 310, 1280, 1920, 1500, 20, 100, u"P58", u"Lumo P58 Photo Printer", u"pcg", u"Lumo", 59, 10},  // 58
    {0x2E47043B, 403, 1844, 2740, 3000, 20, 100, u"P59", u"Lumo P59 Photo Printer", u"pch", u"Lumo", 60, 11},  // 59
    {0x2E47043C, 300, 1248, 1824, 50, 30, 500, u"P60", u"Lumo P60 Photo Printer", u"pci", u"Lumo", 61, 12},  // 60
    {0x2E47043D, 301, 1248, 1844, 100, 30, 500, u"P61", u"Lumo P61 Photo Printer", u"pcj", u"Lumo", 62, 13},  // 61
    {0x2E47043E, 310, 1280, 1920, 1500, 30, 1000, u"P62", u"Lumo P62 Photo Printer", u"pck", u"Lumo", 63, 14},  // 62
    {0x2E47043F, 403, 1844, 2740, 3000, 30, 1000, u"P63", u"Lumo P63 Photo Printer", u"pcl", u"Lumo", 64, 15},  // 63
    {0x2E470440, 300, 1248, 1824, 50, 5, 0, u"P64", u"Lumo P64 Photo Printer", u"pcm", u"Lumo", 65, 16},  // 64
    {0x2E470441, 301, 1248, 1844, 100, 5, 0, u"P65", u"Lumo P65 Photo Printer", u"pcn", u"Lumo", 66, 17},  // 65
    {0x2E470442, 310, 1280, 1920, 1500, 5, 100, u"P66", u"Lumo P66 Photo Printer", u"pco", u"Lumo", 67, 18},  // 66
    {0x2E470443, 403, 1844, 2740, 3000, 5, 100, u"P67", u"Lumo P67 Photo Printer", u"pcp", u"Lumo", 68, 19},  // 67
    {0x2E470502, 300, 1844, 2740, 3000, 5, 1000, u"LumoA", u"Lumo A Photo Printer", u"lma", u"Lumo", 69, 40},  // 68
    {0x2E470510, 301, 1248, 1844, 100, 10, 500, u"P69", u"Lumo P69 Photo Printer", u"pcr", u"Lumo", 70, 21},  // 69
    {0x2E470511, 310, 1280, 1920, 1500, 10, 1000, u"P70", u"Lumo P70 Photo Printer", u"pcs", u"Lumo", 71, 22},  // 70
    {0x2E470512, 403, 1844, 2740, 3000, 10, 1000, u"P71", u"Lumo P71 Photo Printer", u"pct", u"Lumo", 72, 23},  // 71
    {0x2E470513, 300, 1248, 1824, 50, 20, 0, u"P72", u"Lumo P72 Photo Printer", u"pcu", u"Lumo", 73, 24},  // 72
    {0x2E470514, 301, 1248, 1844, 100, 20, 0, u"P73", u"Lumo P73 Photo Printer", u"pcv", u"Lumo", 74, 25},  // 73
    {0x2E470515, 310, 1280, 1920, 1500, 20, 100, u"P74", u"Lumo P74 Photo Printer", u"pcw", u"Lumo", 75, 26},  // 74
    {0x2E470516, 403, 1844, 2740, 3000, 20, 100, u"P75", u"Lumo P75 Photo Printer", u"pcx", u"Lumo", 76, 27},  // 75
    {0x2E470517, 300, 1248, 1824, 50, 30, 500, u"P76", u"Lumo P76 Photo Printer", u"pcy", u"Lumo", 77, 28},  // 76
    {0x2E470518, 301, 1248, 1844, 100, 30, 500, u"P77", u"Lumo P77 Photo Printer", u"pcz", u"Lumo", 78, 29},  // 77
    {0x2E470519, 310, 1280, 1920, 1500, 30, 1000, u"P78", u"Lumo P78 Photo Printer", u"pda", u"Lumo", 79, 30},  // 78
    {0x2E47051A, 403, 1844, 2740, 3000, 30, 1000, u"P79", u"Lumo P79 Photo Printer", u"pdb", u"Lumo", 80, 31},  // 79
    {0x2E47051B, 300, 1248, 1824, 50, 5, 0, u"P80", u"Lumo P80 Photo Printer", u"pdc", u"Lumo", 81, 32},  // 80
    {0x2E47051C, 301, 1248, 1844, 100, 5, 0, u"P81", u"Lumo P81 Photo Printer", u"pdd", u"Lumo", 82, 33},  // 81
    {0x2E47051D, 310, 1280, 1920, 1500, 5, 100, u"P82", u"Lumo P82 Photo Printer", u"pde", u"Lumo", 83, 34},  // 82
    {0x2E47051E, 403, 1844, 2740, 3000, 5, 100, u"P83", u"Lumo P83 Photo Printer", u"pdf", u"Lumo", 84, 35},  // 83
    {0x2E47051F, 300, 1248, 1824, 50, 10, 500, u"P84", u"Lumo P84 Photo Printer", u"pdg", u"Lumo", 85, 36},  // 84
    {0x2E470520, 301, 1248, 1844, 100, 10, 500, u"P85", u"Lumo P85 Photo Printer", u"pdh", u"Lumo", 86, 37},  // 85
    {0x2E470521, 310, 1280, 1920, 1500, 10, 1000, u"P86", u"Lumo P86 Photo Printer", u"pdi", u"Lumo", 87, 38},  // 86
    {0x2E470522, 403, 1844, 2740, 3000, 10, 1000, u"P87", u"Lumo P87 Photo Printer", u"pdj", u"Lumo", 88, 39},  // 87
    {0x2E470523, 300, 1248, 1824, 50, 20, 0, u"P88", u"Lumo P88 Photo Printer", u"pdk", u"Lumo", 89, 40},  // 88
    {0x2E470524, 301, 1248, 1844, 100, 20, 0, u"P89", u"Lumo P89 Photo Printer", u"pdl", u"Lumo", 90, 41},  // 89
    {0x2E470525, 310, 1280, 1920, 1500, 20, 100, u"P90", u"Lumo P90 Photo Printer", u"pdm", u"Lumo", 91, 42},  // 90
    {0x2E47050E, 300, 1844, 2740, 3000, 5, 1000, u"LumoB", u"Lumo B Photo Printer", u"lmb", u"Lumo", 0xFFFFFFFF, 0},  // 91
    {0xFFFFFFFF, 300, 1248, 1824, 50, 20, 0, u"end", u"end", u"zzz", u"", 0, 0},  // end row
};
// clang-format on

std::uint32_t VidPidOfModel(std::uint32_t model) {
    return IsModelNumber(model) ? g_PrinterModels[model].dwVidPid : 0;
}

std::optional<std::uint32_t> FindModelByVidPid(std::uint32_t vidPid) {
    for (std::uint32_t model = kFirstModel; model <= kLastModel; ++model) {
        if (g_PrinterModels[model].dwVidPid == vidPid) {
            return model;
        }
    }
    return std::nullopt;
}

std::u16string FormatVidPidShort(std::uint32_t vidPid) {
    return FormatWide(u"VID_%04X&PID_%04X", {vidPid >> 16, vidPid & 0xFFFF});
}

std::u16string FormatInstanceIdPrefix(std::uint32_t vidPid) {
    return FormatWide(u"USB\\VID_%04X&PID_%04X", {vidPid >> 16, vidPid & 0xFFFF});
}

}  // namespace kelvane
