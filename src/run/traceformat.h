#pragma once

// The forms --trace writes its steps in.

#include <QtGlobal>

namespace run
{

enum class TraceFormat : quint8 {
    Text, // aligned columns under a header, for people
    Json, // one JSON object per line and step, for tools
};

} // namespace run
