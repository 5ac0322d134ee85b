// "tcp:PORT": bytes relayed between an adb stream and a socket to the service
// that listens on the phone's port, under adb's flow control both ways.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "service.h"

namespace phonesim::adb {

// Takes the socket; a worker thread of the connection does the relaying.
std::unique_ptr<Service> makeTcpRelay(int socket, StreamHost& host, uint32_t streamId, size_t maxPayload);

}  // namespace phonesim::adb
