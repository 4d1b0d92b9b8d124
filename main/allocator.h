// The allocator's settings: one kind for a command, which runs once and ends, another for
// the windows, which run for days.
#pragma once

namespace launcher {

// A command reads a whole log or database into many small blocks and ends soon after. On a
// virtual machine, faulting each fresh 4 KiB page in costs more than the reading itself:
// 10,000 faults, two thirds of a 10,000-QSO conversion. So the heap grows in large steps that
// the kernel may back with 2 MiB pages, what it frees is kept for the next step, and large
// blocks come from the heap too. Memory stays the process's until it ends, which a command
// soon does; the windows have a setting of their own, below. Does nothing outside glibc on
// Linux.
void useLargeHeapSteps();

// Blocks of a megabyte and more (the file's bytes, its index, long lists) are mapped on their
// own and given back when freed. Left to itself, glibc raises that threshold once such a block
// is freed, and then keeps the freed copies of the database in the heap: after three saves by
// another program, 187 MB resident instead of 100 MB at 1,000,000 records. The rooms the
// lists are written into are kept on purpose, elsewhere. Does nothing outside glibc on Linux.
void giveLargeBlocksBack();

} // namespace launcher
