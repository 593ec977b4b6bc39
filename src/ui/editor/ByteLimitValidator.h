#pragma once

#include <QValidator>

// Refuses any edit of a line edit whose result would not fit `maxBytes` in
// code page 932 or holds a character code page 932 cannot store. The edit
// keeps its previous text (QLineEdit undoes a change its validator calls
// invalid) and emits inputRejected(), so nothing is ever cut or turned into
// "?" behind the user's back.
class ByteLimitValidator : public QValidator
{
    Q_OBJECT

public:
    explicit ByteLimitValidator(int maxBytes, QObject *parent = nullptr);

    State validate(QString &input, int &pos) const override;
    int maxBytes() const { return m_maxBytes; }

private:
    int m_maxBytes;
};
