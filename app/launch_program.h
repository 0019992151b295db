#pragma once

#include "afxstr.h"

// Starts the installed program named by `commandTail` (the script's launch value: a path relative
// to `dir`, possibly followed by arguments) with its window shown, as the unquoted command line
// `dir` + "\" + `commandTail` would start it, except that `dir` is never split at its spaces: an
// unquoted line "D:\My Games\X\run.exe" would start a planted "D:\My.exe" instead.
// The tail is resolved the way Windows resolves an unquoted command line: its leading
// space-separated words are tried, shortest first, as a program below `dir` (as given, then with
// ".exe"); the first that exists is started and the rest of the tail passes on as its arguments.
// Returns whether a process was started; callers may ignore it.
bool LaunchProgram(const CString& dir, const CString& commandTail);
