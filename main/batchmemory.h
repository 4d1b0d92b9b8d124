// The allocator's settings for a command, which runs once and ends.
#pragma once

namespace launcher {

// A command reads a whole log or database into many small blocks and ends soon after. On a
// virtual machine, faulting each fresh 4 KiB page in costs more than the reading itself:
// 10,000 faults, two thirds of a 10,000-QSO conversion. So the heap grows in large steps that
// the kernel may back with 2 MiB pages, what it frees is kept for the next step, and large
// blocks come from the heap too. Memory stays the process's until it ends, which a command
// soon does; the windows keep the allocator's defaults. Does nothing outside glibc on Linux.
void useLargeHeapSteps();

} // namespace launcher
