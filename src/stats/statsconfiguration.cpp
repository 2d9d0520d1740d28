#include "statsconfiguration.h"

#include "sqltexts.h"

namespace StatsConfigurations {

namespace {

const QColor skyBlue(166, 202, 240);
const QColor moneyGreen(192, 220, 192);
const QColor buttonFace; // invalid: taken from the desktop
const QColor red(255, 0, 0);
const QColor blue(0, 0, 255);
const QColor yellow(255, 255, 0);

const char* const locationNote = "由于一些材料用于多个地点,但无法区分每个位置的花销,故本项统计仅供参考.";

// clang-format off
const StatsConfiguration table[] = {
    {"Form7", "按费用方式统计", 3, SqlTexts::byExpenseMode, {711, 555}, moneyGreen,
     392, 408, 504, 600, 89, "CTYPE", "费用方式", {215, 207, 240}, true,
     true, "CTYPE", red, false, true, false, nullptr, "费用方式", "CTYPE"},
    {"Form8", "按对应工程统计", 4, SqlTexts::byProject, {713, 561}, skyBlue,
     400, 416, 512, 608, 89, "cids", "对应工程", {233, 249, 183}, false,
     false, "Cids", blue, false, false, false, nullptr, "对应工程", "cids"},
    {"Form9", "按材料类型统计", 5, SqlTexts::byCategory, {713, 563}, buttonFace,
     392, 408, 512, 600, 81, "dids", "材料类型", {233, 249, 183}, false,
     false, "dids", yellow, false, false, false, nullptr, "材料类型", "dids"},
    {"Form10", "按所用位置统计", 14, SqlTexts::byLocation, {723, 541}, skyBlue,
     392, 408, 512, 600, 81, "Ns", "材料所用位置", {233, 249, 183}, false,
     false, "ns", yellow, true, false, false, locationNote, "所用位置", "Ns"},
    {"Form11", "按日期统计", 11, SqlTexts::byDate, {714, 563}, skyBlue,
     392, 408, 512, 600, 81, "dates", "日期", {233, 249, 183}, false,
     false, "dates", yellow, false, false, true, nullptr, "日期", "dates"},
};
// clang-format on

} // namespace

const StatsConfiguration& byExpenseMode() {
    return table[0];
}
const StatsConfiguration& byProject() {
    return table[1];
}
const StatsConfiguration& byCategory() {
    return table[2];
}
const StatsConfiguration& byLocation() {
    return table[3];
}
const StatsConfiguration& byDate() {
    return table[4];
}

} // namespace StatsConfigurations
