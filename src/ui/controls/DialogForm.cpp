#include "ui/controls/DialogForm.h"

#include "settings/SaveWindowPos.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/HelpWindow.h"

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {

// A captioned control at its designed place.
template <class Control> Control *placed(const char *name, const QString &text, const QRect &geometry, QWidget *parent)
{
    auto *control = new Control(text, parent);
    control->setObjectName(QLatin1String(name));
    control->setGeometry(geometry);
    return control;
}

} // namespace

namespace DialogForm {

void setUpFixedDialog(
    QDialog *dialog, const QString &name, const QString &title, int helpContext, int width, int height)
{
    dialog->setObjectName(name);
    dialog->setWindowTitle(title);
    SetHelpContext(dialog, helpContext);
    dialog->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog->setFont(WindowsFont(QString::fromUtf16(Face), -12));
    dialog->setFixedSize(width, height);
}

TSaveWindowPos *rememberPosition(QDialog *dialog)
{
    auto *saveWindowPos = new TSaveWindowPos(dialog);
    saveWindowPos->setObjectName(QStringLiteral("SaveWindowPos1"));
    saveWindowPos->setResumeIconic(false);
    return saveWindowPos;
}

bool isHelpKey(const QKeyEvent *event)
{
    return event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier;
}

int labelTop(int y, const QWidget *parent)
{
    return y - qMax(0, (parent->fontMetrics().height() - 13) / 2);
}

QLabel *makeLabel(const QString &text, int x, int y, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->move(x, labelTop(y, parent));
    label->adjustSize();
    return label;
}

QCheckBox *makeCheck(const char *name, const QString &text, const QRect &geometry, QWidget *parent)
{
    return placed<QCheckBox>(name, text, geometry, parent);
}

QRadioButton *makeRadio(const char *name, const QString &text, const QRect &geometry, QWidget *parent)
{
    return placed<QRadioButton>(name, text, geometry, parent);
}

QPushButton *makeButton(const char *name, const QString &text, const QRect &geometry, QWidget *parent)
{
    auto *button = placed<QPushButton>(name, text, geometry, parent);
    button->setAutoDefault(false);
    return button;
}

QGroupBox *makeGroup(const char *name, const QString &caption, const QRect &geometry, QWidget *parent)
{
    return placed<QGroupBox>(name, caption, geometry, parent);
}

void setRadio(QRadioButton *button, bool checked)
{
    if (checked || !button->isChecked()) {
        button->setChecked(checked);
        return;
    }
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
}

void setTabChain(const QList<QWidget *> &order)
{
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

} // namespace DialogForm
