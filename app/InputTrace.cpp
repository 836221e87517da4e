#include "app/InputTrace.h"

#include "app/Log.h"

#include <cstdlib>
#include <cstring>

bool isInputTraceOn()
{
    static const bool on = [] {
        const char* value = std::getenv("BRAMBLEWICK_TRACE_INPUT");
        return value && std::strcmp(value, "1") == 0;
    }();
    return on;
}

void traceInput(const std::string& text)
{
    if (isInputTraceOn())
    {
        writeLog("input: " + text);
    }
}
