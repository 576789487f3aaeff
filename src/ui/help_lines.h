#pragma once

#include <QString>
#include <QStringList>
#include <initializer_list>

namespace tulvo {

// The fixed lines of one help text (UTF-8 literals) as the help pane shows them.
inline QStringList HelpLines(std::initializer_list<const char*> lines) {
    QStringList list;
    for (const char* line : lines) {
        list << QString::fromUtf8(line);
    }
    return list;
}

}  // namespace tulvo
