#include "common/process_signals.h"

#include <csignal>

namespace kolumbra {

void IgnoreFileSizeSignal() { std::signal(SIGXFSZ, SIG_IGN); }

}  // namespace kolumbra
