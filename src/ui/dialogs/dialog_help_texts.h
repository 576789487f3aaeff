#pragma once

#include <QStringList>

namespace tulvo {

// The fixed lines of help that the alarm and black/white list dialogs show.
class DialogHelpTexts {
  public:
    enum class Topic {
        // Alarm system dialog.
        AlarmSubscriber,
        AlarmCommonPassword,
        AlarmEnableChannel,
        AlarmChannelPassword,
        AlarmModeSwitch,
        AlarmInMode,
        AlarmInDebounce,
        AlarmInTimeout,
        AlarmKeyMode,
        // Black/white list dialog.
        BlackList,
        WhiteList,
        BlackPrefix,
        BlackGroups,
        BlackDirections,
        WhitePrefix,
        WhiteGroups,
        WhiteDirections,
    };

    static QStringList Lines(Topic topic);
};

}  // namespace tulvo
