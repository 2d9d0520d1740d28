#include "commands.h"

namespace Commands {

const QVector<Menu>& menus() {
    static const QVector<Menu> table = {
        {"N1",
         "数据管理",
         "Alt+S",
         {
             {"N3", "装修账目管理", "查询装修账目信息", 10},
             {"N4", nullptr, nullptr, -1},
             {"N15", "装修日记管理", "浏览查看装修日记", 12},
             {"NImportLine", nullptr, nullptr, -1},
             {"NImport", "导入账单…", "把支付宝、微信支付的账单或银行流水、表格导入账目", 10},
         }},
        {"N5",
         "账目统计",
         "Alt+Z",
         {
             {"N6", "按费用方式统计", "统计材料费、人工费和包工包料各花了多少", 3},
             {"N7", nullptr, nullptr, -1},
             {"N8", "按对应工程统计", "统计每一项工程花了多少", 4},
             {"N9", nullptr, nullptr, -1},
             {"N10", "按材料类型统计", "统计每个项目的花销", 5},
             {"N11", nullptr, nullptr, -1},
             {"N27", "按材料所用位置统计", "按照所购材料使用地点统计费用", 14},
             {"N26", nullptr, nullptr, -1},
             {"N12", "按日期统计", "统计每天支出的费用", 11},
             {"NBudgetSeparator", nullptr, nullptr, -1},
             {"NBudget", "预算管理", "设定预算，查看已用、已付和未付的金额", 4, "Ctrl+Shift+Y"},
             {"NContracts", "合同与付款", "合同的付款阶段、增减项、质保金和保修", 5, "Ctrl+Shift+H"},
         }},
        {"N17",
         "系统管理",
         "Alt+X",
         {
             {"N18", "对应工程设置", "添加/删除每个小项目", 7},
             {"N25", "材料类型设置", "", 13},
             {"N19", nullptr, nullptr, -1},
             {"N20", "使用帮助", "", 15},
             {"N22", "关于本软件", "", 6},
             {"N23", nullptr, nullptr, -1},
             {"N24", "退出", "", 9},
             {"NBackupLine", nullptr, nullptr, -1},
             {"NBackup", "备份与恢复", "备份账簿，或用备份恢复账簿", 2, "Ctrl+Shift+B"},
             {"NShareLine", nullptr, nullptr, -1},
             {"NShare", "连接共享账簿…", "打开放在 PostgreSQL 服务器上的共享账簿，或回到本地账簿", 1},
             {"NUpload", "上传到共享账簿…", "把账簿文件复制到服务器上一个空的共享账簿里", 2},
             {"NSaveLocal", "另存为本地账簿…", "把打开的账簿复制成一个新的账簿文件", 2},
             {"NRecycleLine", nullptr, nullptr, -1},
             {"NRecycleBin", "回收站", "删除的账目和日记：恢复或彻底删除", 9},
             {"NHistory", "操作记录", "谁在什么时候新增、修改或删除了什么", 2},
         }},
        // The open windows are listed above these items while the menu shows.
        {"WindowMenu",
         "窗口",
         "Alt+C",
         {
             {"CascadeWindows", "层叠", "", -1},
             {"TileWindows", "平铺", "", -1},
             {"CloseAllWindows", "全部关闭", "", -1},
         }},
    };
    return table;
}

const QVector<ToolButton>& toolButtons() {
    // clang-format off
    static const QVector<ToolButton> table = {
        {"ToolButton6", nullptr, 17, ToolButton::Hint},     {"ToolButton2", "N3", 0, ToolButton::Hint},
        {"ToolButton10", "N15", 0, ToolButton::Hint},       {"ToolButton3", nullptr, 18, ToolButton::Hint},
        {"ToolButton4", "N6", 0, ToolButton::Hint},         {"ToolButton5", "N8", 0, ToolButton::Hint},
        {"ToolButton7", "N10", 0, ToolButton::Hint},        {"ToolButton8", "N27", 0, ToolButton::Hint},
        {"ToolButton15", "N12", 0, ToolButton::Caption},    {"ToolButton9", nullptr, 20, ToolButton::Hint},
        {"ToolButton12", nullptr, 18, ToolButton::Hint},    {"ToolButton13", "N22", 0, ToolButton::Caption},
        {"ToolButton14", "N24", 0, ToolButton::Caption},
        // The later features' windows, after the program's own buttons.
        {"ToolButton16", nullptr, 18, ToolButton::Hint},    {"ToolButton17", "NBudget", 0, ToolButton::Hint},
        {"ToolButton18", "NBackup", 0, ToolButton::Hint},   {"ToolButton19", "NContracts", 0, ToolButton::Hint},
    };
    // clang-format on
    return table;
}

} // namespace Commands
