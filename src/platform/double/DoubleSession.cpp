// The test double's end of the process and of the session: recorded, never done.
#include "platform/double/DoubleInternal.h"


namespace os {
using namespace testdouble;

void EndProcess(std::uint32_t code) {
    Double().endedWith = static_cast<int>(code);
}

bool RebootSystem(bool nt) {
    Double().reboots.push_back(nt);
    return !Double().rebootFails;
}

void BlockShutdown(Window, const std::u16string& reason) {
    Double().shutdownBlockReason = reason;
}

void UnblockShutdown(Window) {
    Double().shutdownBlockReason.clear();
}

} // namespace os
