#pragma once

#include <ostream>

namespace avrtazu {

class Project;

// Writes the Makefile for the project's active configuration to `out` (line ends as "\n"; the
// caller's text file turns them into CR LF) and, before it, the linker file list
// <project name>.lk in the output directory. Reads the project only. Errors of the project
// (no active configuration) travel to the caller; the stream is not checked.
// A part that names no device row is logged as a warning and leaves out the device's switches.
std::ostream& writeMakefile(std::ostream& out, const Project& project);

} // namespace avrtazu
