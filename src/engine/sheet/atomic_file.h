#pragma once
// Replacing a file so that it is either the old one or the complete new
// one, even if the process dies half-way.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kolumbra::sheet {

// The workbook's bytes through ReplaceFileAtomically (common/atomic_replace.h).
// `beforeCommit` runs between the write and the rename (tests use it to fail
// there). On any failure the temporary file is removed, the old file is
// untouched and a RuntimeError whose description names `path` is raised.
void WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         const std::function<void()>& beforeCommit = {});

}  // namespace kolumbra::sheet
