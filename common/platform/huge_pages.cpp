#include "common/platform/huge_pages.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace jpcp::platform {

void advise_huge_pages(const void* data, size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr uintptr_t huge_page = uintptr_t{1} << 21;
  const auto begin = reinterpret_cast<uintptr_t>(data);
  const uintptr_t first = (begin + huge_page - 1) & ~(huge_page - 1);
  const uintptr_t last = (begin + bytes) & ~(huge_page - 1);
  // A refusal (no transparent huge pages, memory not from mmap) is harmless.
  if (data != nullptr && last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

}  // namespace jpcp::platform
