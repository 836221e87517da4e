#pragma once

#include "tests/editor/EditorTestFixture.h"

// The benchmarks drive the tools through the same prepared editor.
using ToolTestWorld = EditorTestFixture;
