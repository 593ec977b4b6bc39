#include "data/Notifier.h"

#include <cstdio>

namespace {
StderrNotifier defaultNotifier;
Notifier *current = &defaultNotifier;
} // namespace

Notifier::~Notifier() = default;

Notifier &Notifier::instance()
{
    return *current;
}

void Notifier::install(Notifier *notifier)
{
    current = notifier ? notifier : &defaultNotifier;
}

QString ErrorBoxText(const QString &message)
{
    if (message.isEmpty() || message.back().unicode() <= u'.')
        return message;
    return message + u'.';
}

QString StderrNotifier::oneLine(const QString &text)
{
    QString s = text;
    s.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    s.replace(u'\r', u' ');
    s.replace(u'\n', u' ');
    return s;
}

void StderrNotifier::showMessage(const QString &text)
{
    std::fprintf(stderr, "%s\n", oneLine(text).toUtf8().constData());
}

void StderrNotifier::showError(const QString &text)
{
    showMessage(text);
}

Notifier::Button StderrNotifier::confirm(const QString &text, Buttons, Button defaultButton, const QString &)
{
    showMessage(text);
    return defaultButton;
}

bool StderrNotifier::inputText(const QString &, const QString &, QString &)
{
    return false;
}
