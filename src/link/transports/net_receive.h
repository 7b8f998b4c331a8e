#pragma once
// One receive on the network link's TCP connection that returns when bytes arrive, the
// module closes or resets the connection, or this side closes it. This side closes by
// setting `closing` and shutting the socket down: on Linux the shutdown wakes a blocked
// receive, on Windows it does not, so there the wait runs in short slices that look at the
// flag.
//
// Threads: the connection's receive thread only.

#define ASIO_STANDALONE
#include <asio.hpp>

#include <atomic>
#include <cstddef>

namespace kv816 {

// The byte count, with `ec` clear; or 0 with `ec` set when the connection ended or
// `closing` was seen (then operation_aborted).
size_t receiveUntilClosed(asio::io_context& io, asio::ip::tcp::socket& socket,
                          asio::mutable_buffer buffer, const std::atomic<bool>& closing,
                          asio::error_code& ec);

} // namespace kv816
