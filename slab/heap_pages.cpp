#include "slab/heap_pages.h"

#include <cstdint>
#include <cstdlib>

#if defined(__linux__) && defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace jpcp::slab {

void reserve_heap_in_huge_pages(std::size_t bytes) {
#if defined(__linux__) && defined(__GLIBC__)
  constexpr std::uintptr_t huge_page = std::uintptr_t{2} << 20;
  constexpr int largest_heap_block = 32 << 20;  // glibc's ceiling for the mmap threshold
  // Blocks up to the ceiling come from the heap (not from maps of their
  // own, unmapped and faulted in again on every reuse), the heap is never
  // trimmed, and each growth adds `bytes` at once.
  // Every thread allocates from this heap too (one arena), not from arenas
  // of its own mapped apart.
  if (!mallopt(M_MMAP_THRESHOLD, largest_heap_block) || !mallopt(M_TRIM_THRESHOLD, 1 << 30) ||
      !mallopt(M_ARENA_MAX, 1) ||
      !mallopt(M_TOP_PAD, static_cast<int>(bytes)))
    return;
  const auto begin = reinterpret_cast<std::uintptr_t>(sbrk(0));
  // A block larger than the heap's free top makes it grow now (volatile: the
  // compiler would drop an allocation freed unused).
  void* volatile block = std::malloc(1 << 20);
  std::free(block);
  const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
  const std::uintptr_t first = (begin + huge_page - 1) & ~(huge_page - 1), last = end & ~(huge_page - 1);
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);  // advice only
#else
  (void)bytes;
#endif
}

}  // namespace jpcp::slab
