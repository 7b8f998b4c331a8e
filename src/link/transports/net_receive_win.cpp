#include "link/transports/net_receive.h"

#include <chrono>

namespace kv816 {
namespace {
constexpr auto CLOSING_CHECK = std::chrono::milliseconds(50);
} // namespace

size_t receiveUntilClosed(asio::io_context& io, asio::ip::tcp::socket& socket,
                          asio::mutable_buffer buffer, const std::atomic<bool>& closing,
                          asio::error_code& ec) {
  bool done = false;
  size_t received = 0;
  socket.async_receive(buffer, [&](const asio::error_code& result, size_t n) {
    ec = result;
    received = n;
    done = true;
  });
  io.restart();
  while (!done && !closing.load())
    io.run_for(CLOSING_CHECK);
  if (!done) {
    // Cancelled from this thread, the receive's handler runs here before the buffer goes.
    asio::error_code ignored;
    socket.cancel(ignored);
    io.restart();
    io.run();
    ec = asio::error::operation_aborted;
    return 0;
  }
  return received;
}

} // namespace kv816
