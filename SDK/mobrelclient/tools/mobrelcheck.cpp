// mobrelcheck: a self-check of the device-link library against the real adb.
#include <cstdio>

#include "mobrelclient.h"

int main() {
    std::printf("MobrelApi_Init: %d\n", MobrelApi_Init());
    return 0;
}
