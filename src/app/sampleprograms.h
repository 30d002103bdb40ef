#pragma once

#include <QString>

#include <array>

// The example programs offered in the window's sample chooser. Entry i belongs
// to item i of the chooser; the texts are read by index and never change.
inline constexpr int sampleProgramCount = 6;

const std::array<QString, sampleProgramCount> &samplePrograms();
