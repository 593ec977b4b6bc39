#pragma once

#include <QString>

// What a transfer error code means, in the words of the error report; empty
// for a code the link does not define.
QString DeviceErrorText(int code);
