#pragma once
// Asks the user to confirm an action. Tests answer in advance with setNextAnswer instead
// of a person clicking, and can read what was asked.
#include <optional>

#include <QString>

class QWidget;

namespace vantrel {

class ConfirmDialog {
public:
    struct Question {
        QString title;
        QString text;
        QString confirmText;
        QString cancelText;
    };

    // True when the user confirms. destructive styles the confirm button as a warning.
    static bool ask(QWidget* parent, const Question& question, bool destructive = false);

    // The answer the next ask() gives without showing anything; consumed by that call.
    static void setNextAnswer(std::optional<bool> answer);
    static std::optional<Question> lastQuestion();
};

} // namespace vantrel
