// A stand-in for the outside communication library: exports the four
// functions with C linkage, logs every call with its arguments and fails the
// function it is told to.

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

std::string callLog;
std::string failing;
int32_t failCode = 0;

int32_t call(const char *function, void *window, int32_t port, int32_t timeout, int32_t speed, int32_t *error,
    const char *from = nullptr, const char *to = nullptr)
{
    char text[160];
    std::snprintf(text, sizeof text, "%s %p %d %d %d", function, window, port, timeout, speed);
    callLog += text;
    for (const char *name : {from, to})
        callLog += name ? std::string(" ") + name : std::string();
    callLog += '\n';
    *error = failing == function ? failCode : 0;
    return failing == function ? 1 : 0;
}

} // namespace

#define EXPORT extern "C" __attribute__((visibility("default")))

EXPORT int32_t u_nego(void *w, int32_t p, int32_t t, int32_t s, int32_t *e)
{
    return call("u_nego", w, p, t, s, e);
}
EXPORT int32_t u_download(void *w, int32_t p, int32_t t, int32_t s, const char *f, const char *l, int32_t *e)
{
    return call("u_download", w, p, t, s, e, f, l);
}
EXPORT int32_t u_upload(void *w, int32_t p, int32_t t, int32_t s, const char *l, const char *f, int32_t *e)
{
    return call("u_upload", w, p, t, s, e, l, f);
}
EXPORT int32_t u_end(void *w, int32_t p, int32_t t, int32_t s, int32_t *e)
{
    return call("u_end", w, p, t, s, e);
}

// For the test only.
EXPORT const char *fake_log()
{
    return callLog.c_str();
}
EXPORT void fake_fail(const char *function, int32_t code)
{
    failing = function;
    failCode = code;
}
