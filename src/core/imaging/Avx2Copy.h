#pragma once

// Marks a row pass to be compiled twice, an AVX2 copy beside the portable
// one, the copy chosen when the program loads where the processor has AVX2.
// GCC only (the compiler the copies are built and measured with), and not
// under the sanitizers, whose runtime is not up yet when the choice runs.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__) && \
    !defined(__SANITIZE_ADDRESS__)
#define KESTREL_WITH_AVX2_COPY __attribute__((target_clones("avx2", "default")))
#else
#define KESTREL_WITH_AVX2_COPY
#endif
