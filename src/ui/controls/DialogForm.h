#pragma once

#include <QList>
#include <QString>

class QCheckBox;
class QDialog;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QPushButton;
class QRadioButton;
class QRect;
class QWidget;
class TSaveWindowPos;

// Set-up and control factories shared by the program's fixed-size dialogs,
// which place every control at its designed position.
namespace DialogForm {

// The face the dialogs are designed in, as settings name it.
inline const char16_t Face[] = u"ＭＳ Ｐゴシック";

// Name, caption, help context, frame (no resizing, no context-help button),
// the dialogs' face and the fixed client size.
void setUpFixedDialog(
    QDialog *dialog, const QString &name, const QString &title, int helpContext, int width, int height);
// Keeps the dialog's position between runs.
TSaveWindowPos *rememberPosition(QDialog *dialog);
// F1 without modifiers: the dialog's help button.
bool isHelpKey(const QKeyEvent *event);

// Top of a label beside a control whose text starts at `y`: the Japanese
// face's taller line would otherwise set the text a little below the control's.
int labelTop(int y, const QWidget *parent);
QLabel *makeLabel(const QString &text, int x, int y, QWidget *parent);
QCheckBox *makeCheck(const char *name, const QString &text, const QRect &geometry, QWidget *parent);
QRadioButton *makeRadio(const char *name, const QString &text, const QRect &geometry, QWidget *parent);
// A button that does not take the default role when it gets the focus.
QPushButton *makeButton(const char *name, const QString &text, const QRect &geometry, QWidget *parent);
QGroupBox *makeGroup(const char *name, const QString &caption, const QRect &geometry, QWidget *parent);

// Sets a radio button either way: an auto-exclusive button cannot be
// unchecked on its own, and a stored value may match none of a group.
void setRadio(QRadioButton *button, bool checked);
// Tab order along `order`.
void setTabChain(const QList<QWidget *> &order);

} // namespace DialogForm
