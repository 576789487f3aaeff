#pragma once

#include <QStringList>

namespace tulvo {

// The fixed lines of help the device parameters dialog shows in its help
// pane, one topic per field (named after the field's help handler).
class Form2HelpTexts {
  public:
    enum class Topic {
        Edit5,
        ComboBox12,
        ComboBox13,
        ComboBox2,
        ComboBox1,
        ComboBox3,
        Edit3,
        Edit4,
        ComboBox6,
        CheckBox1,
        ComboBox5,
        ComboBox7,
        ComboBox17,
        ComboBox18,
        Edit6,
        Edit7,
        ComboBox11,
        CheckBox5,
        ComboBox8,
        ComboBox9,
        ComboBox10,
        ComboBox14,
        ComboBox15,
        Edit8,
        CheckBox3,
        TrackBar1,
        GroupBox4,
    };

    static QStringList Lines(Topic topic);
};

}  // namespace tulvo
