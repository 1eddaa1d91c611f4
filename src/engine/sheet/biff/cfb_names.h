#pragma once
// A check of the compound file's directory that the container library does
// not make.

#include "engine/sheet/biff/bytes.h"

namespace kolumbra::sheet::biff {

// False when an entry of the directory has a name that does not end in a
// NUL at its stated length. libgsf reads the character where the NUL should
// be as part of the name, so a save would rename the stream (the VBA
// project's PROJECT stream, say) and break what refers to it. A directory
// this check cannot follow is left to the library to judge.
bool DirectoryNamesEndInNul(const Bytes& file);

}  // namespace kolumbra::sheet::biff
