#pragma once

#include "data/Notifier.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// A notifier for tests: records every message, prompt, sound and help call,
// and answers prompts from queues (the default button when a queue is empty).
// Installs itself on construction and restores the previous default when
// destroyed.
class ScriptedNotifier : public Notifier
{
public:
    ScriptedNotifier();
    ~ScriptedNotifier() override;

    void showMessage(const QString &text) override;
    void showError(const QString &text) override;
    Button confirm(const QString &text, Buttons buttons, Button defaultButton, const QString &caption) override;
    bool inputText(const QString &caption, const QString &prompt, QString &value) override;
    void sound(Sound sound) override;
    void showHelp(int context) override;

    QList<Button> answers; // next answers to confirm()
    QList<std::optional<QString>> inputs; // next input box results; nullopt = cancel

    QStringList messages;
    QStringList errors;
    QStringList confirmations; // texts asked
    QStringList confirmCaptions;
    QList<Buttons> confirmButtons;
    QList<Button> confirmDefaults;
    QStringList inputPrompts;
    QList<Sound> sounds;
    QList<int> helpContexts;

    int count(Sound s) const { return int(sounds.count(s)); }
    void clear();
};
