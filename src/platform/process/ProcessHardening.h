#pragma once

// Keeps the memory of a running Quorvel from being read after the fact:
// passwords, keys and entry texts pass through it.
namespace ProcessHardening {

// Makes the process non-dumpable (no core file, no ptrace attach by other
// processes of the same user, /proc/<pid>/mem and friends owned by root) and
// sets the core file size limit to 0, also for what it starts. Called first
// thing in main(); failures are ignored: the program still runs.
void keepMemoryPrivate();

} // namespace ProcessHardening
