// Memory that the shell hands out (ID lists) goes back to the shell's own allocator.
#pragma once

// Frees `block` with the shell's task allocator; null is ignored. When the allocator cannot be
// had, the block is left alone rather than freed by the wrong heap.
void ShellFree(void* block);
