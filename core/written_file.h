// Closing a stdio stream that was written, with every failure reported.
#pragma once

#include <cstdio>

// Flushes and closes `file`; false when any write to it failed, the final flush included (a full
// disk often shows only there). The stream is closed in every case.
bool CloseWrittenFile(std::FILE* file);
