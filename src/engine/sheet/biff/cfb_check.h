#pragma once
// Checks of the compound file that the container library does not make,
// and the quirks of real writers it is spared.

#include <optional>

#include "engine/sheet/biff/bytes.h"

namespace kolumbra::sheet::biff {

// False when an entry of the directory other than the root has a name that
// does not end in a NUL at its stated length. libgsf reads the character
// where the NUL should be as part of the name, so a save would rename the
// stream (the VBA project's PROJECT stream, say) and break what refers to
// it. The root's name carries nothing and is written anew on save; some
// writers store it without its NUL. A directory this check cannot follow is
// left to the library to judge.
bool DirectoryNamesEndInNul(const Bytes& file);

// The length of the file up to its last whole sector, when anything beyond
// it is a partial sector that nothing of the file refers to (some writers
// leave a stray byte behind the last sector); nothing when the file ends
// inside a sector that is in use, whose content is cut.
std::optional<std::size_t> WholeSectorLength(const Bytes& file);

}  // namespace kolumbra::sheet::biff
