#include "commands.h"

namespace Commands {

const QVector<Menu>& menus() {
    static const QVector<Menu> table = {
        {"N1",
         "数据管理",
         {
             {"N3", "装修账目管理", "查询装修账目信息", 10},
             {"N4", nullptr, nullptr, -1},
             {"N15", "装修日记管理", "浏览查看装修日记", 12},
         }},
        {"N5",
         "账目统计",
         {
             {"N6", "按费用方式统计", "统计各个项目所支出的人工费", 3},
             {"N7", nullptr, nullptr, -1},
             {"N8", "按对应工程统计", "统计各个项目支出的材料费", 4},
             {"N9", nullptr, nullptr, -1},
             {"N10", "按材料类型统计", "统计每个项目的花销", 5},
             {"N11", nullptr, nullptr, -1},
             {"N27", "按材料所用位置统计", "按照所购材料使用地点统计费用", 14},
             {"N26", nullptr, nullptr, -1},
             {"N12", "按日期统计", "统计每天支出的费用", 11},
             {"NBudgetSeparator", nullptr, nullptr, -1},
             {"NBudget", "预算管理", "设定预算，查看已用、已付和未付的金额", 4},
         }},
        {"N17",
         "系统管理",
         {
             {"N18", "对应工程设置", "添加/删除每个小项目", 7},
             {"N25", "材料类型设置", "", 13},
             {"N19", nullptr, nullptr, -1},
             {"N20", "使用帮助", "", 15},
             {"N22", "关于本软件", "", 6},
             {"N23", nullptr, nullptr, -1},
             {"N24", "退出", "", 9},
             {"NBackupLine", nullptr, nullptr, -1},
             {"NBackup", "备份与恢复", "备份账簿，或用备份恢复账簿", 2},
         }},
    };
    return table;
}

const QVector<ToolButton>& toolButtons() {
    static const QVector<ToolButton> table = {
        {"ToolButton6", nullptr, 17, false},  {"ToolButton2", "N3", 0, true},
        {"ToolButton10", "N15", 0, true},     {"ToolButton3", nullptr, 18, false},
        {"ToolButton4", "N6", 0, true},       {"ToolButton5", "N8", 0, true},
        {"ToolButton7", "N10", 0, true},      {"ToolButton8", "N27", 0, true},
        {"ToolButton15", "N12", 0, false},    {"ToolButton9", nullptr, 20, false},
        {"ToolButton12", nullptr, 18, false}, {"ToolButton13", "N22", 0, false},
        {"ToolButton14", "N24", 0, false},
    };
    return table;
}

} // namespace Commands
