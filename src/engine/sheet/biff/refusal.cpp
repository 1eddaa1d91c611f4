#include "engine/sheet/biff/refusal.h"

namespace kolumbra::sheet::biff {

void Refuse(const std::string& why) {
    throw RuntimeError(err::ApplicationDefined, why);
}

}  // namespace kolumbra::sheet::biff
