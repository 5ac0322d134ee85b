// The update check's answer of any text: its version is -1 or not negative and decides the outcome alone.
#include <cstdint>
#include <cstdlib>

#include "UpdateService.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString answer = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const int latest = versionNumber(answer);
    if (latest < -1) std::abort();
    const UpdateOutcome expected = latest == -1                             ? UpdateOutcome::Failed
                                   : latest > versionNumber(kMobrelVersion) ? UpdateOutcome::NewVersion
                                                                            : UpdateOutcome::Latest;
    if (decideUpdate(answer) != expected || decideUpdate(std::nullopt) != UpdateOutcome::Failed) std::abort();
    return 0;
}
