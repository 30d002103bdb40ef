#pragma once

// What a completed step did beyond its registers, in the words of the text
// trace's effect column: "[05] = 3" (a store), "jump to 05", "not taken",
// "in 3", "out 3", "flags = 1", then "wrapped" when an arithmetic result
// wrapped around 32 bits. A replay page explains each step with them too.

#include "machine/processor.h"

#include <string>

namespace program
{

// Appends the words, each piece after a blank; nothing for a step that did
// nothing more than set its registers.
void appendEffect(std::string &line, const machine::Step &step);

} // namespace program
