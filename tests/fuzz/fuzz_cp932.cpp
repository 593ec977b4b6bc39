// Code page 932 conversions: decoding is reversible, lengths agree, and
// truncation never cuts a character in two.
#include "FuzzSupport.h"
#include "data/TextCodec.h"

#include <algorithm>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = Cp932::decode(bytes);
    const QByteArray encoded = Cp932::encode(text);
    if (Cp932::decode(encoded) != text)
        fuzz::fail("decode(encode(text)) differs", bytes.toByteArray(), encoded);
    if (Cp932::byteLength(text) != encoded.size())
        fuzz::fail("byteLength disagrees with encode");
    if (!Cp932::canEncode(text))
        fuzz::fail("decoded text cannot be encoded");
    const bool escaped = std::any_of(
        text.cbegin(), text.cend(), [](QChar c) { return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF; });
    if (Cp932::isValid(bytes) == escaped)
        fuzz::fail("isValid disagrees with decode", bytes.toByteArray());

    const qsizetype limit = size > 0 ? data[0] % (size + 1) : 0;
    const QByteArray cut = Cp932::truncateBytes(encoded, limit);
    if (cut.size() > limit || !encoded.startsWith(cut))
        fuzz::fail("truncateBytes is no prefix within the limit", encoded, cut);
    const QString shortText = Cp932::truncate(text, limit);
    if (Cp932::byteLength(shortText) > limit || !text.startsWith(shortText))
        fuzz::fail("truncate is no prefix within the limit");

    // The same bytes as UTF-16 text: what can be encoded comes back.
    QString wide(qsizetype(size / 2), Qt::Uninitialized);
    if (!wide.isEmpty())
        std::memcpy(wide.data(), data, size_t(wide.size()) * 2);
    const QByteArray wideBytes = Cp932::encode(wide);
    if (Cp932::byteLength(wide) != wideBytes.size())
        fuzz::fail("byteLength disagrees with encode on any text");
    return 0;
}
