#pragma once

#include "data/Notifier.h"

#include <functional>

// The GUI's notifier: real message boxes, input boxes and system sounds.
// Help is opened through a handler that the help window installs.
class MessageBoxNotifier : public Notifier
{
public:
    void showMessage(const QString &text) override;
    void showError(const QString &text) override;
    Button confirm(const QString &text, Buttons buttons, Button defaultButton, const QString &caption) override;
    bool inputText(const QString &caption, const QString &prompt, QString &value) override;
    void sound(Sound sound) override;
    void showHelp(int context) override;

    void setHelpHandler(std::function<void(int)> handler) { m_help = std::move(handler); }

private:
    std::function<void(int)> m_help;
};
