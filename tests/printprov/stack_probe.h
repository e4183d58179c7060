// Calls a stdcall entry with count 32-bit arguments and reports how far the
// stack pointer moved across the call: 0 when the entry popped exactly its
// arguments.
#pragma once

#include <stdint.h>

extern "C" uint32_t __cdecl CallMeasuringStack(const void *entry, const uint32_t *args, int count,
                                               int32_t *stackDelta);
