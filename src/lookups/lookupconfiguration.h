#pragma once

#include <QSize>
#include <QString>

// What tells the two lookup list editors apart: the list they edit and their frame.
struct LookupConfiguration {
    const char* objectName; // the form's name: Form2, Form5
    const char* caption;
    const char* table;
    const char* nameColumn; // the one column the editor writes
    const char* listName;   // accessible name of the list
    QString (*listSql)();
    bool sizeable;
    QSize size; // outer size when sizeable, client size when fixed
};

namespace LookupConfigurations {

const LookupConfiguration& projects();   // TForm2 over 项目
const LookupConfiguration& categories(); // TForm5 over 归类

} // namespace LookupConfigurations
