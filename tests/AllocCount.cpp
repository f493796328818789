#include "AllocCount.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> Allocations{0};
}

void *operator new(std::size_t N) {
  ++Allocations;
  if (void *P = std::malloc(N ? N : 1)) return P;
  throw std::bad_alloc();
}
void *operator new[](std::size_t N) { return operator new(N); }
void operator delete(void *P) noexcept { std::free(P); }
void operator delete[](void *P) noexcept { std::free(P); }
void operator delete(void *P, std::size_t) noexcept { std::free(P); }
void operator delete[](void *P, std::size_t) noexcept { std::free(P); }

#if !defined(__SANITIZE_ADDRESS__)
// The C library's own allocator, reached past these counting wrappers.
extern "C" void *__libc_malloc(std::size_t);
extern "C" void *__libc_calloc(std::size_t, std::size_t);
extern "C" void *__libc_realloc(void *, std::size_t);
extern "C" void __libc_free(void *);
extern "C" void *malloc(std::size_t N) {
  ++Allocations;
  return __libc_malloc(N);
}
extern "C" void *calloc(std::size_t N, std::size_t S) {
  ++Allocations;
  return __libc_calloc(N, S);
}
extern "C" void *realloc(void *P, std::size_t N) {
  ++Allocations;
  return __libc_realloc(P, N);
}
extern "C" void free(void *P) { __libc_free(P); }
#endif

long AllocationCount() { return Allocations.load(); }
