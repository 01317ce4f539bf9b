// Files the command line reads whole and writes atomically: a kill at any moment leaves the old file or the new one.
#pragma once

#include <string>
#include <string_view>

namespace design {

// The whole file. Throws riaa::EngineError naming the file when it is missing, unreadable or empty.
std::string ReadWholeFile(const std::string& path);

// Writes contents to a new file beside the target, flushes it to the disk and renames it over the
// target, so that the target is at every moment either the old file whole or the new one whole. An
// existing target keeps its permissions. Throws riaa::EngineError naming the file ("Cannot save
// design.mirelund: No such file or directory"); the old file is then untouched and the new one gone.
void WriteFileAtomically(const std::string& path, std::string_view contents);

}  // namespace design
