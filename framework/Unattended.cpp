#include "framework/Unattended.h"

namespace framework {
namespace {
Unattended g_unattended;
}

void SetUnattended(const Unattended& unattended) { g_unattended = unattended; }

const Unattended& CurrentUnattended() { return g_unattended; }

}  // namespace framework
