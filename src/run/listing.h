#pragma once

// Printouts of a program and of the memory, each line ending with a line feed.

#include "machine/processor.h"
#include "program/program.h"

#include <QString>

namespace run
{

// The memory image, one word per line.
QString imageOf(const program::Program &program);

// Each line of the text after the address and word it assembled to:
// "AA WORD  SOURCE", the words padded to one width. A blank line of the text
// is printed as the indentation alone, so that its column lines up.
QString listingOf(const program::Program &program);

// The 100 cell texts, 10 per line, in columns as wide as the widest text.
QString memoryOf(const machine::Processor &processor);

} // namespace run
