#pragma once

// The processor's folder reaching up into the assembler: the layering check rejects it.
#include "assembler/assembler.h"
