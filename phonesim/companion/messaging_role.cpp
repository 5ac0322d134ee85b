// The phone's default messaging app. From Android 4.4 on only the default app
// may write or delete messages; the companion asks the user for the role and the
// simulated user grants it after a delay (or never).
#include "companion/companion_impl.h"
#include "companion/protocol.h"

namespace phonesim {

namespace {

// "4.4", "4.4.2", "10" and later need the role; "4.3" and "2.3.7" do not.
bool roleGuardsMessages(const std::string& release) {
    int major = 0;
    int minor = 0;
    size_t i = 0;
    for (; i < release.size() && release[i] >= '0' && release[i] <= '9' && major < 1000; ++i)
        major = major * 10 + (release[i] - '0');
    if (i < release.size() && release[i] == '.') {
        for (++i; i < release.size() && release[i] >= '0' && release[i] <= '9' && minor < 1000; ++i)
            minor = minor * 10 + (release[i] - '0');
    }
    return major * 10 + minor > 43;
}

}  // namespace

std::string Companion::Impl::defaultMessagingApp() {
    if (rolePending && std::chrono::steady_clock::now() >= roleAcceptAt) {
        messagingApp = kCompanionPackage;
        rolePending = false;
    }
    return messagingApp;
}

std::string Companion::Impl::requestMessagingRole() {
    // The request is shown (1); whether and when the user accepts is the fault switches' say.
    rolePending = !faults.neverAccept && defaultMessagingApp() != kCompanionPackage;
    roleAcceptAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(faults.acceptDelayMs);
    return intBody(1);
}

std::string Companion::Impl::releaseMessagingRole() {
    messagingApp = kSystemMessagingPackage;
    rolePending = false;
    return intBody(1);
}

bool Companion::Impl::mayWriteMessages() {
    return !roleGuardsMessages(profile.property("ro.build.version.release")) ||
           defaultMessagingApp() == kCompanionPackage;
}

}  // namespace phonesim
