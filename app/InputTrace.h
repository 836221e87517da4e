#pragma once

#include <string>

// Input tracing for the real-window tests: with BRAMBLEWICK_TRACE_INPUT=1 in the environment
// every delivered key and mouse event and every pointer position is written to the log, so
// that a test sees what reached the mode without knowing the mode's internals.
bool isInputTraceOn();
void traceInput(const std::string& text);
