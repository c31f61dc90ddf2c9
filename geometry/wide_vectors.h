#pragma once
// Grid sweeps that vectorise are also built for AVX2 and the processor picks
// the build at load time. Only loops whose every lane does the plain float
// arithmetic of one node may use it (no reduction across lanes, no fused
// multiply-add, which AVX2 alone does not enable): their results are then the
// same bits at any width. Not under the sanitizers: the picking runs while
// the program is being loaded, before their run-time is set up.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && \
    !defined(__SANITIZE_THREAD__) && !defined(__SANITIZE_ADDRESS__)
#define CONTORRA_WIDE_VECTORS __attribute__((target_clones("avx2", "default")))
#else
#define CONTORRA_WIDE_VECTORS
#endif
