#include "ui/controls/MessageBoxNotifier.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

QWidget *dialogParent()
{
    if (QWidget *w = QApplication::activeModalWidget())
        return w;
    return QApplication::activeWindow();
}

// Messages keep the CR line breaks of their stored form.
QString displayText(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

QString appTitle()
{
    const QString title = QApplication::applicationDisplayName();
    return title.isEmpty() ? QStringLiteral("Tidemark") : title;
}

} // namespace

void MessageBoxNotifier::showMessage(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, appTitle(), displayText(text), QMessageBox::Ok, dialogParent());
    box.exec();
}

void MessageBoxNotifier::showError(const QString &text)
{
    QMessageBox box(
        QMessageBox::Critical, appTitle(), displayText(ErrorBoxText(text)), QMessageBox::Ok, dialogParent());
    box.exec();
}

Notifier::Button MessageBoxNotifier::confirm(
    const QString &text, Buttons buttons, Button defaultButton, const QString &caption)
{
    QMessageBox box(QMessageBox::Question, caption, displayText(text), QMessageBox::NoButton, dialogParent());
    struct Entry
    {
        Button button;
        const char16_t *caption;
        QMessageBox::ButtonRole role;
    };
    const Entry entries[] = {
        {Yes, u"はい(&Y)", QMessageBox::YesRole},
        {No, u"いいえ(&N)", QMessageBox::NoRole},
        {Ok, u"OK", QMessageBox::AcceptRole},
        {Cancel, u"キャンセル", QMessageBox::RejectRole},
    };
    QHash<QAbstractButton *, Button> map;
    for (const Entry &e : entries) {
        if (!buttons.testFlag(e.button))
            continue;
        QPushButton *b = box.addButton(QString::fromUtf16(e.caption), e.role);
        map.insert(b, e.button);
        if (e.button == defaultButton)
            box.setDefaultButton(b);
    }
    box.exec();
    if (QAbstractButton *clicked = box.clickedButton(); clicked && map.contains(clicked))
        return map.value(clicked);
    return buttons.testFlag(Cancel) ? Cancel : No;
}

bool MessageBoxNotifier::inputText(const QString &caption, const QString &prompt, QString &value)
{
    QInputDialog dlg(dialogParent());
    dlg.setWindowTitle(caption);
    dlg.setLabelText(prompt);
    dlg.setTextValue(value);
    dlg.setOkButtonText(QStringLiteral("OK"));
    dlg.setCancelButtonText(QStringLiteral("キャンセル"));
    if (dlg.exec() != QDialog::Accepted)
        return false;
    value = dlg.textValue();
    return true;
}

void MessageBoxNotifier::sound(Sound)
{
    // The desktop offers one system sound to a Qt program.
    QApplication::beep();
}

void MessageBoxNotifier::showHelp(int context)
{
    if (m_help)
        m_help(context);
}
