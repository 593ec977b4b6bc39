// The CSV loader under several settings: whatever it loads, saving it,
// loading that and saving again gives the same bytes.
#include "FuzzSupport.h"
#include "data/AppError.h"
#include "data/Data.h"
#include "settings/SettingsFile.h"

namespace {

struct CsvSettings
{
    char comma;
    char quote;
    bool spaceQuote;
    const char *crChar;
};

// Separator and quotation character always differ: a file cannot be read
// back when they are the same, and the settings refuse that pair.
constexpr CsvSettings Variants[] = {
    {',', '"', true, "\n"},
    {',', '"', false, "\\n"},
    {'\t', '"', true, "\n"},
    {';', '\'', true, "<br>"},
    {'\t', '\'', false, "\n"},
    {' ', '"', true, "|"},
    {',', '\'', true, ""},
    {'|', '"', false, "\n"},
};

void apply(TData &data, const CsvSettings &s)
{
    data.CommaChar = s.comma;
    data.QuoteChar = s.quote;
    data.SpaceQuote = s.spaceQuote;
    data.CRChar = QString::fromLatin1(s.crChar);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static SettingsFile settings(fuzz::path("csv.ini"));
    const QString in = fuzz::path("in.csv");
    const QString once = fuzz::path("once.csv");
    const QString twice = fuzz::path("twice.csv");
    QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const CsvSettings &variant = Variants[bytes.isEmpty() ? 0 : quint8(bytes.front()) % std::size(Variants)];
    if (!bytes.isEmpty())
        bytes = bytes.sliced(1);
    if (!fuzz::writeFile(in, bytes))
        fuzz::fail("cannot write the input");

    TData first(settings);
    apply(first, variant);
    try {
        first.LoadFromFile(in);
    } catch (const AppError &) {
        return 0;
    }
    try {
        first.SaveToFile(once);
        TData second(settings);
        apply(second, variant);
        second.LoadFromFile(once);
        if (second.count() != first.count())
            fuzz::fail("a saved CSV loads with another number of items");
        second.SaveToFile(twice);
    } catch (const AppError &e) {
        fuzz::fail(e.what());
    }
    const QByteArray a = fuzz::readFile(once);
    const QByteArray b = fuzz::readFile(twice);
    if (a != b)
        fuzz::fail("CSV load and save are not a fixed point", a, b);
    return 0;
}
