// Helpers shared by the fuzz targets.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/runtime/error.h"

// The entry point libFuzzer calls; the regression tests build each target under a name of
// its own.
#ifndef QVFUZZ_ENTRY
#define QVFUZZ_ENTRY LLVMFuzzerTestOneInput
#endif

namespace qvfuzz {

// A broken promise of the code under test: report and stop, so the fuzzer keeps the input.
#define QVFUZZ_CHECK(cond)                                                   \
  do {                                                                       \
    if (!(cond)) {                                                           \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                          \
    }                                                                        \
  } while (0)

// For one input, runtime errors take their default instead of ending the process, as a
// program's error handler would answer them; the previous callback comes back after.
class TakeDefaults {
 public:
  TakeDefaults() : previous_(qv::ERRORBLOCK(answer())) {}
  ~TakeDefaults() { qv::ERRORBLOCK(previous_); }
  TakeDefaults(const TakeDefaults&) = delete;
  TakeDefaults& operator=(const TakeDefaults&) = delete;

 private:
  static const qv::Value& answer() {
    static const qv::Value block = qv::Value::callback([](std::vector<qv::Value>&) { return qv::Value(false); });
    return block;
  }
  qv::Value previous_;
};

// Reads the fuzzer's bytes front to back; past the end every read gives zeros.
class Bytes {
 public:
  Bytes(const unsigned char* data, std::size_t size) : p_(data), end_(data + size) {}
  unsigned char byte() { return p_ < end_ ? *p_++ : 0; }
  template <class T>
  T raw() {
    T v{};
    const std::size_t n = std::min<std::size_t>(sizeof v, static_cast<std::size_t>(end_ - p_));
    std::memcpy(&v, p_, n);
    p_ += n;
    return v;
  }
  // A text of up to `max` bytes, its length taken from the input.
  std::string text(std::size_t max) {
    const std::size_t want = raw<unsigned short>() % (max + 1);
    const std::size_t n = std::min<std::size_t>(want, static_cast<std::size_t>(end_ - p_));
    std::string s(reinterpret_cast<const char*>(p_), n);
    p_ += n;
    return s;
  }
  std::string rest() {
    std::string s(reinterpret_cast<const char*>(p_), static_cast<std::size_t>(end_ - p_));
    p_ = end_;
    return s;
  }
  bool empty() const { return p_ >= end_; }

 private:
  const unsigned char* p_;
  const unsigned char* end_;
};

}  // namespace qvfuzz
