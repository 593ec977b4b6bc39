#include "ui/editor/ByteLimitValidator.h"

#include "data/TextCodec.h"

ByteLimitValidator::ByteLimitValidator(int maxBytes, QObject *parent)
    : QValidator(parent)
    , m_maxBytes(maxBytes)
{ }

QValidator::State ByteLimitValidator::validate(QString &input, int &) const
{
    if (!Cp932::canEncode(input) || Cp932::byteLength(input) > m_maxBytes)
        return Invalid;
    return Acceptable;
}
