// Large buffers that a run fills once (the hourly temperature records, some
// 7 MB at 20 years) cost one page fault per 4 KiB page when first written;
// in a virtual machine that is a fifth of a whole run. Backed by 2 MiB pages
// they cost a few faults.
#pragma once

#include <cstddef>

namespace jpcp::platform {

// Asks the system to back the whole 2 MiB pages inside [data, data + bytes)
// with huge pages (Linux transparent huge pages, granted on request in their
// "madvise" mode). A hint only: where it is not supported nothing changes,
// and the contents are never affected.
void advise_huge_pages(const void* data, size_t bytes);

}  // namespace jpcp::platform
