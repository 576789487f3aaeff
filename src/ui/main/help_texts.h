#pragma once

#include <QStringList>

namespace tulvo {

// The fixed lines of help the main window shows in its help pane.
class HelpTexts {
  public:
    enum class Topic {
        Edit1,
        Edit2,
        Edit4,
        Edit3,
        ComboBox1,
        Edit5,
        CheckBox3,
        CheckBox2,
        CheckBox4,
        CheckBox7,
        RadioGroup1,
        GroupBox1,
        CheckBox9,
        Edit7,
    };

    static QStringList Lines(Topic topic);
};

}  // namespace tulvo
