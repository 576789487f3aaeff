#pragma once

#include <any>
#include <string>

namespace tulvo {

// How core routines talk to the person at the keyboard. The desktop program
// shows message boxes, the command line prints to stderr, tests record.
// All texts are UTF-8.
class Operator {
  public:
    enum class Choice { Abort, Ignore, Cancel };
    enum class Answer { Yes, No, Cancel };

    virtual ~Operator() = default;

    virtual void Message(const std::string& text) = 0;
    virtual void Error(const std::string& text) = 0;
    // Error with the operating system's reason as detail text.
    virtual void ErrorWithDetail(const std::string& text, const std::string& detail) {
        (void)detail;
        Error(text);
    }
    // Message with the reason as detail text (a network connection that
    // ended, for instance); an empty detail is the plain message.
    virtual void MessageWithDetail(const std::string& text, const std::string& detail) {
        (void)detail;
        Message(text);
    }
    virtual bool AskYesNo(const std::string& text) = 0;
    virtual Choice AskAbortIgnoreCancel(const std::string& text) = 0;
    // A yes/no question that may also call off what was about to happen
    // ("Да", "Нет", "Отмена"). Where nobody can call anything off (the
    // command line answers from its flags), it is the yes/no question.
    virtual Answer AskYesNoCancel(const std::string& text) {
        return AskYesNo(text) ? Answer::Yes : Answer::No;
    }

    // The window the boxes are centred on, for front ends that have windows:
    // a window that stays above the others takes the boxes while it is
    // shown, or they could open behind it, out of sight, and gives them back
    // when it hides. The window is the front end's own handle (the desktop
    // program's QWidget*); the core never makes or reads one, and front ends
    // without windows keep none.
    virtual std::any BoxOwner() const { return {}; }
    virtual void SetBoxOwner(const std::any& window) { (void)window; }
};

}  // namespace tulvo
