#pragma once

#include "catalog/session.h"

namespace kolumbra {

// The CSV command: appends the field listing of the selected tables to the
// file named in Text3.
void Command3_Click(Session& session);

}  // namespace kolumbra
