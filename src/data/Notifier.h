#pragma once

#include <QString>
#include <QStringList>

// Message boxes, sounds, input boxes and help: everything by which the
// program speaks to the user outside its own windows. The GUI installs an
// implementation that shows real dialogs; the command-line tool writes to
// stderr; tests install a scripted one that answers prompts and records what
// was shown and sounded.
// What one load or save tells the user about single items. It keeps the
// first few texts and counts the rest, so that a damaged file of millions of
// lines costs neither memory nor millions of boxes.
class NoticeList
{
public:
    static constexpr int Kept = 10;

    void add(const QString &notice);
    bool isEmpty() const { return m_count == 0; }
    qint64 count() const { return m_count; }
    const QStringList &first() const { return m_first; }

    // One notice as it stands; several as a count and the first of them.
    QString summary() const;

private:
    QStringList m_first;
    qint64 m_count = 0;
};

class Notifier
{
public:
    enum class Sound { Beep, Question, Exclamation, Asterisk };
    enum Button { Yes = 0x1, No = 0x2, Ok = 0x4, Cancel = 0x8 };
    Q_DECLARE_FLAGS(Buttons, Button)

    virtual ~Notifier();

    // Plain message box with an OK button (per-record notices while loading,
    // "file not found").
    virtual void showMessage(const QString &text) = 0;
    // The notices of one command, at most one box; none when empty.
    virtual void showNotices(const NoticeList &notices);
    // Error box captioned with the application title; `text` as raised.
    virtual void showError(const QString &text) = 0;
    // Confirmation box; returns the button pressed (Cancel or No when the box
    // is closed otherwise).
    virtual Button confirm(
        const QString &text, Buttons buttons, Button defaultButton, const QString &caption = QStringLiteral("確認"))
        = 0;
    // Input box; returns false when cancelled, else `value` holds the text.
    virtual bool inputText(const QString &caption, const QString &prompt, QString &value) = 0;
    virtual void sound(Sound sound) = 0;
    // Help at a context number; 0 opens the contents.
    virtual void showHelp(int context) = 0;

    static Notifier &instance();
    // Installs `notifier` (not owned); nullptr restores the stderr one.
    static void install(Notifier *notifier);
};

Q_DECLARE_OPERATORS_FOR_FLAGS(Notifier::Buttons)

// The error box text: a "." is added unless the message already ends in "."
// or a character below it.
QString ErrorBoxText(const QString &message);

// Writes every message to stderr as one line; prompts take their default.
class StderrNotifier : public Notifier
{
public:
    void showMessage(const QString &text) override;
    // One line each, after a line with the count.
    void showNotices(const NoticeList &notices) override;
    void showError(const QString &text) override;
    Button confirm(const QString &text, Buttons buttons, Button defaultButton, const QString &caption) override;
    bool inputText(const QString &caption, const QString &prompt, QString &value) override;
    void sound(Sound) override { }
    void showHelp(int) override { }

    // A CR or CR LF inside the text becomes one space.
    static QString oneLine(const QString &text);
};
