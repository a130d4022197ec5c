#pragma once

#include <cstddef>

namespace jpcp::slab {

// Asks for the next `bytes` of the process heap to be backed by huge pages
// where the system offers them (Linux with glibc), and keeps every block
// below 32 MiB on the heap, never handed back. A solve touches each page of
// its factor and matrices once: with 4 KiB pages the first touches cost a
// one-shot speed case of some 40 MB about as much as its arithmetic. Call
// once, early, in a program that solves; elsewhere it does nothing.
void reserve_heap_in_huge_pages(std::size_t bytes);

}  // namespace jpcp::slab
