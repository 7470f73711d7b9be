// Marks a hot entry point to be compiled once per x86-64 level (the baseline,
// v2 with popcount, v3 with BMI and AVX2), the loader picking the best the
// machine has. Everything inlined into the function is compiled with it.
#pragma once

#if defined(VORN_TARGET_CLONES)
#define VORN_HOT __attribute__((flatten, target_clones("default", "arch=x86-64-v2", "arch=x86-64-v3")))
#else
#define VORN_HOT
#endif
