// A stream under a page's WebSocket that can gather what is written to it
// and send it in one write: the frames of several messages leave in one
// system call instead of one each.

#pragma once

#include <boost/asio/buffer.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/bind_handler.hpp>
#include <boost/beast/core/error.hpp>
#include <boost/beast/core/role.hpp>
#include <boost/beast/websocket/teardown.hpp>

#include <string>
#include <utility>

template <class NEXT>
class cGatheringStream {
 public:
  using executor_type = typename NEXT::executor_type;

  explicit cGatheringStream(NEXT&& S) : FNEXT(std::move(S)) {}

  executor_type get_executor() noexcept { return FNEXT.get_executor(); }
  NEXT& next_layer() noexcept { return FNEXT; }
  const NEXT& next_layer() const noexcept { return FNEXT; }

  template <class BUFFERS, class HANDLER>
  void async_read_some(const BUFFERS& B, HANDLER&& H) {
    FNEXT.async_read_some(B, std::forward<HANDLER>(H));
  }

  /// While gathering, B is kept and the write completes at once.
  template <class BUFFERS, class HANDLER>
  void async_write_some(const BUFFERS& B, HANDLER&& H) {
    if (!FGATHERING) {
      FNEXT.async_write_some(B, std::forward<HANDLER>(H));
      return;
    }
    const std::size_t N = boost::asio::buffer_size(B);
    const std::size_t OLD = FGATHERED.size();
    FGATHERED.resize(OLD + N);
    boost::asio::buffer_copy(boost::asio::buffer(FGATHERED.data() + OLD, N), B);
    boost::asio::post(get_executor(), boost::beast::bind_front_handler(
                                          std::forward<HANDLER>(H), boost::beast::error_code{}, N));
  }

  /// Writes from now on are gathered.
  void GATHER() { FGATHERING = true; }
  bool GATHERING() const { return FGATHERING; }
  std::size_t GATHERED() const { return FGATHERED.size(); }
  /// Sends what was gathered in one write, then DONE(EC); writes go straight
  /// through again.
  template <class HANDLER>
  void SEND(HANDLER&& DONE) {
    FGATHERING = false;
    FSENDING.swap(FGATHERED);
    FGATHERED.clear();
    boost::asio::async_write(FNEXT, boost::asio::buffer(FSENDING),
                             [this, DONE = std::forward<HANDLER>(DONE)](boost::beast::error_code EC,
                                                                        std::size_t) mutable {
                               FSENDING.clear();
                               DONE(EC);
                             });
  }

 private:
  NEXT FNEXT;
  std::string FGATHERED;
  std::string FSENDING;
  bool FGATHERING = false;
};

/// The WebSocket's closing handshake ends on the stream below.
template <class NEXT>
void teardown(boost::beast::role_type ROLE, cGatheringStream<NEXT>& S,
              boost::beast::error_code& EC) {
  using boost::beast::websocket::teardown;
  teardown(ROLE, S.next_layer(), EC);
}

template <class NEXT, class HANDLER>
void async_teardown(boost::beast::role_type ROLE, cGatheringStream<NEXT>& S, HANDLER&& H) {
  using boost::beast::websocket::async_teardown;
  async_teardown(ROLE, S.next_layer(), std::forward<HANDLER>(H));
}
