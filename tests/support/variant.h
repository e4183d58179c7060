// The build variant a test runs in. The product is a 32-bit build; on hosts
// that cannot run 32-bit programs the same tests run on an x86-64 build, and
// the few whose purpose is to pin a 32-bit layout or calling convention are
// skipped there, visibly. Their layouts are still checked at compile time by
// the 32-bit build, which is built on every host.
#pragma once

#include <gtest/gtest.h>

#if defined(_WIN64)
#define QV_ONLY_IN_32BIT_BUILD()                                                                             \
    GTEST_SKIP() << "pins a 32-bit layout or calling convention: run by the i686 build"
#else
#define QV_ONLY_IN_32BIT_BUILD()                                                                             \
    do {                                                                                                     \
    } while (0)
#endif
