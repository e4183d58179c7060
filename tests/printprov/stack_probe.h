// Calls a stdcall entry with count word-sized arguments and reports how far
// the stack pointer moved across the call: 0 when the entry popped exactly
// its arguments. x86-64 has one calling convention, in which the caller
// cleans up: there the probe makes the call and always reports 0.
#pragma once

#include <stdint.h>

extern "C" uint32_t __cdecl CallMeasuringStack(const void *entry, const uintptr_t *args, int count,
                                               int32_t *stackDelta);
