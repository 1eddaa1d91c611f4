#pragma once
// Signal dispositions every program of the system sets at start.

namespace kolumbra {

// A write past the file-size limit then fails with EFBIG, which the
// writers report and clean up after, instead of ending the process
// half-way through a save.
void IgnoreFileSizeSignal();

}  // namespace kolumbra
