#pragma once

#include <benchmark/benchmark.h>
#include <string>

// Generated address tables for the benchmarks, made once and kept in the build folder
// (QORVEL_BENCH_DATA) between runs.
namespace bench {

// The path of an address table with n records and all 26 tags; generated when missing.
std::string addressTable(unsigned long n);
// A fresh copy of it (DBF, CDX, FPT) in a scratch folder; returns the DBF path.
std::string scratchCopy(unsigned long n, const std::string& name);
// Record counts to measure: QORVEL_BENCH_RECORDS (comma separated), else 100000.
std::string sizes();
// Gives a benchmark those counts as arguments, in milliseconds.
void applySizes(benchmark::internal::Benchmark* b);

}  // namespace bench
