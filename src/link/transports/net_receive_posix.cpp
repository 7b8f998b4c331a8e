#include "link/transports/net_receive.h"

namespace kv816 {

size_t receiveUntilClosed(asio::io_context&, asio::ip::tcp::socket& socket,
                          asio::mutable_buffer buffer, const std::atomic<bool>&,
                          asio::error_code& ec) {
  return socket.receive(buffer, 0, ec);
}

} // namespace kv816
