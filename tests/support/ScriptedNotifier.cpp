#include "ScriptedNotifier.h"

ScriptedNotifier::ScriptedNotifier()
{
    Notifier::install(this);
}

ScriptedNotifier::~ScriptedNotifier()
{
    Notifier::install(nullptr);
}

void ScriptedNotifier::showMessage(const QString &text)
{
    messages.append(text);
}

void ScriptedNotifier::showError(const QString &text)
{
    errors.append(text);
}

Notifier::Button ScriptedNotifier::confirm(
    const QString &text, Buttons buttons, Button defaultButton, const QString &caption)
{
    confirmations.append(text);
    confirmCaptions.append(caption);
    confirmButtons.append(buttons);
    confirmDefaults.append(defaultButton);
    return answers.isEmpty() ? defaultButton : answers.takeFirst();
}

bool ScriptedNotifier::inputText(const QString &, const QString &prompt, QString &value)
{
    inputPrompts.append(prompt);
    if (inputs.isEmpty())
        return true;
    const std::optional<QString> next = inputs.takeFirst();
    if (!next)
        return false;
    value = *next;
    return true;
}

void ScriptedNotifier::sound(Sound sound)
{
    sounds.append(sound);
}

void ScriptedNotifier::showHelp(int context)
{
    helpContexts.append(context);
}

void ScriptedNotifier::clear()
{
    answers.clear();
    inputs.clear();
    messages.clear();
    errors.clear();
    confirmations.clear();
    confirmCaptions.clear();
    confirmButtons.clear();
    confirmDefaults.clear();
    inputPrompts.clear();
    sounds.clear();
    helpContexts.clear();
}
