#include "stack_probe.h"

#if !defined(_WIN64)

// esi: arguments, edi: the stack pointer before they are pushed (callee-saved
// in stdcall, so still valid after the call).
asm(R"(
    .text
    .globl _CallMeasuringStack
_CallMeasuringStack:
    pushl %ebp
    movl %esp, %ebp
    pushl %esi
    pushl %edi
    pushl %ebx
    movl 12(%ebp), %esi
    movl 16(%ebp), %ecx
    movl %esp, %edi
1:  testl %ecx, %ecx
    jz 2f
    decl %ecx
    pushl (%esi,%ecx,4)
    jmp 1b
2:  call *8(%ebp)
    movl %esp, %ecx
    subl %edi, %ecx
    movl %edi, %esp
    movl 20(%ebp), %edx
    movl %ecx, (%edx)
    popl %ebx
    popl %edi
    popl %esi
    popl %ebp
    ret
)");

#else

extern "C" uint32_t __cdecl CallMeasuringStack(const void *entry, const uintptr_t *args, int count,
                                               int32_t *stackDelta)
{
    // No spooler entry takes more than eight arguments; surplus ones are
    // harmless where the caller cleans up.
    typedef uint32_t (*Entry)(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                              uintptr_t, uintptr_t);
    uintptr_t a[8] = {};
    for (int i = 0; i < count && i < 8; ++i)
        a[i] = args[i];
    *stackDelta = 0;
    return reinterpret_cast<Entry>(entry)(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
}

#endif
