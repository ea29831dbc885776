#pragma once
// Marks a hot loop function to be built twice, for AVX2 and for the baseline
// processor, with the loader picking the one the machine runs. GCC also gets
// its full loop vectorizer for it, which -O2 keeps to the cheapest cases.
// ThreadSanitizer builds get one version: the loader's pick runs before the
// sanitizer's run time is up and stops the program at start.
#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TONILO_NO_VECTOR_CLONES
#endif
#endif
#if defined(__SANITIZE_THREAD__) || defined(TONILO_NO_VECTOR_CLONES)
#define TONILO_VECTOR_CLONES
#elif defined(__x86_64__) && defined(__clang__)
#define TONILO_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#elif defined(__x86_64__) && defined(__GNUC__)
#define TONILO_VECTOR_CLONES __attribute__((target_clones("avx2", "default"), optimize("O3")))
#else
#define TONILO_VECTOR_CLONES
#endif
