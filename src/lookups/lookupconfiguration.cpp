#include "lookupconfiguration.h"

#include "sqltexts.h"

namespace LookupConfigurations {

namespace {

enum { Projects, Categories };

const LookupConfiguration table[] = {
    {"Form2", "工程设置", "项目", "NAMES", "工程列表", &SqlTexts::projects, true, QSize(568, 409)},
    {"Form5", "材料类型设置", "归类", "DNAMES", "材料类型列表", &SqlTexts::categories, false,
     QSize(561, 385)},
};

} // namespace

const LookupConfiguration& projects() {
    return table[Projects];
}
const LookupConfiguration& categories() {
    return table[Categories];
}

} // namespace LookupConfigurations
