// The item file loader, all three versions: whatever it loads, saving it,
// loading that and saving again gives the same bytes.
#include "FuzzSupport.h"
#include "data/AppError.h"
#include "data/Data.h"
#include "settings/SettingsFile.h"

namespace {

// The one date a load gives that a load of the saved file cannot: the
// oldest version's empty start date is day 2 (1900-01-01), written as such,
// and every year read from a current file is clamped to 1980..2099. Known
// and kept; any other difference is a fault.
QByteArray withEmptyStartClamped(QByteArray file)
{
    constexpr int Header = 32, Record = 160;
    constexpr int DateFields[] = {106, 110, 114};
    const QByteArray day2("\x6c\x07\x01\x01", 4); // 1900-01-01
    const QByteArray clamped("\xbc\x07\x01\x01", 4); // 1980-01-01
    for (qsizetype at = Header; at + Record <= file.size(); at += Record) {
        for (int field : DateFields) {
            if (file.mid(at + field, 4) == day2)
                file.replace(at + field, 4, clamped);
        }
    }
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static SettingsFile settings(fuzz::path("itemfile.ini"));
    const QString in = fuzz::path("in.tmd");
    const QString once = fuzz::path("once.tmd");
    const QString twice = fuzz::path("twice.tmd");
    QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    // The first byte may put one of the signatures in front, so that every
    // version is reached however the rest is mutated.
    QByteArray input;
    if (!bytes.isEmpty()) {
        const int choice = quint8(bytes.front()) % 4;
        if (choice > 0)
            input = QByteArray(FileSignatures[choice - 1]);
        bytes = bytes.sliced(1);
    }
    input += bytes;
    if (!fuzz::writeFile(in, input))
        fuzz::fail("cannot write the input");

    TData first(settings);
    try {
        first.LoadFromFile(in);
    } catch (const AppError &) {
        return 0; // refused, as it may
    }
    try {
        first.SaveToFile(once);
        TData second(settings);
        second.LoadFromFile(once);
        if (second.count() != first.count())
            fuzz::fail("a saved document loads with another number of items");
        second.SaveToFile(twice);
    } catch (const AppError &e) {
        fuzz::fail(e.what());
    }
    const QByteArray a = withEmptyStartClamped(fuzz::readFile(once));
    const QByteArray b = fuzz::readFile(twice);
    if (a != b)
        fuzz::fail("load and save are not a fixed point", a, b);
    return 0;
}
