// A stand-in for the outside communication library: exports the four
// functions with C linkage, logs every call with its arguments (names as hex
// bytes) and fails the calls it is told to.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string callLog;
std::string failing;
int32_t failCode = 0;

void hex(const char *text)
{
    char byte[4];
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; ++p) {
        std::snprintf(byte, sizeof byte, "%02X", *p);
        callLog += byte;
    }
}

int32_t finish(const char *function, int32_t *error)
{
    callLog += '\n';
    const bool fail = failing == function;
    *error = fail ? failCode : 0;
    return fail ? 1 : 0;
}

int32_t simple(const char *function, void *window, int32_t port, int32_t timeout, int32_t speed, int32_t *error)
{
    char line[160];
    std::snprintf(line, sizeof line, "%s %p %d %d %d", function, window, port, timeout, speed);
    callLog += line;
    return finish(function, error);
}

int32_t copy(const char *function, void *window, int32_t port, int32_t timeout, int32_t speed, const char *from,
    const char *to, int32_t *error)
{
    char line[160];
    std::snprintf(line, sizeof line, "%s %p %d %d %d ", function, window, port, timeout, speed);
    callLog += line;
    hex(from);
    callLog += ' ';
    hex(to);
    return finish(function, error);
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) int32_t u_nego(void *w, int32_t p, int32_t t, int32_t s, int32_t *e)
{
    return simple("u_nego", w, p, t, s, e);
}
__attribute__((visibility("default"))) int32_t u_download(
    void *w, int32_t p, int32_t t, int32_t s, const char *f, const char *l, int32_t *e)
{
    return copy("u_download", w, p, t, s, f, l, e);
}
__attribute__((visibility("default"))) int32_t u_upload(
    void *w, int32_t p, int32_t t, int32_t s, const char *l, const char *f, int32_t *e)
{
    return copy("u_upload", w, p, t, s, l, f, e);
}
__attribute__((visibility("default"))) int32_t u_end(void *w, int32_t p, int32_t t, int32_t s, int32_t *e)
{
    return simple("u_end", w, p, t, s, e);
}

// For the test only.
__attribute__((visibility("default"))) const char *fake_log()
{
    return callLog.c_str();
}
__attribute__((visibility("default"))) void fake_fail(const char *function, int32_t code)
{
    failing = function;
    failCode = code;
}
}
