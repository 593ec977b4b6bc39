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

void NoticeList::add(const QString &notice)
{
    if (m_first.size() < Kept)
        m_first.append(notice);
    ++m_count;
}

namespace {

QString countLine(qint64 count)
{
    return QStringLiteral("%1 件のお知らせがあります。").arg(count);
}

QString restLine(qint64 rest)
{
    return QStringLiteral("…ほか %1 件").arg(rest);
}

} // namespace

QString NoticeList::summary() const
{
    if (m_count <= 1)
        return m_first.value(0);
    QString text = countLine(m_count) + u'\r';
    for (const QString &notice : m_first)
        text += u'\r' + StderrNotifier::oneLine(notice);
    if (m_count > m_first.size())
        text += u'\r' + restLine(m_count - m_first.size());
    return text;
}

void Notifier::showNotices(const NoticeList &notices)
{
    if (!notices.isEmpty())
        showMessage(notices.summary());
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

void StderrNotifier::showNotices(const NoticeList &notices)
{
    if (notices.count() <= 1) {
        Notifier::showNotices(notices);
        return;
    }
    QString text = countLine(notices.count()) + u'\n';
    for (const QString &notice : notices.first())
        text += QStringLiteral("  ") + oneLine(notice) + u'\n';
    if (notices.count() > notices.first().size())
        text += QStringLiteral("  ") + restLine(notices.count() - notices.first().size()) + u'\n';
    std::fputs(text.toUtf8().constData(), stderr);
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
