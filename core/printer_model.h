// One printer model of the catalogue, and the process-wide table of them.
#pragma once

#include <array>
#include <cstdint>

namespace core {

struct PrinterModel {
    char16_t ModelName[64] = {};
    std::int32_t HasCutter = 0;
    char16_t CommandSet[32] = {};
    char16_t GpdFile[256] = {};
    char16_t VidPid[64] = {};
    std::int32_t Dpi = 0;
    char16_t HardwareId[32] = {};
    std::int32_t PaperWidth = 0;
    std::int32_t PaperHeight = 0;
    std::int32_t HeadWidthDots = 0;
};

// Record 0 is never filled; file rows go to records 1 .. 254.
constexpr int kModelTableSize = 255;
using ModelTable = std::array<PrinterModel, kModelTableSize>;

}  // namespace core
