#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/port_most.h"
#include "model/t_data.h"
#include "support/pty_peer.h"
#include "support/recording_operator.h"
#include "sync/image_transfer.h"
#include "sync_population.h"

namespace tulvo {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Pop = test::SyncPopulation;

// A peer that answers the first `shortReplies` subscriber reads with a
// payload cut to 10 bytes (its checksum made valid), then with subscriber
// 1's record, and every other request with "empty".
class ShortReplyTest : public ::testing::Test {
  protected:
    void Serve(int shortReplies) {
        peer.SetResponder([shortReplies](const test::PtyPeer::Frame& frame,
                                         std::size_t number) -> std::optional<Bytes> {
            const Bytes body = test::FrameBody(frame.wire);
            const bool firstInfo =
                body.size() >= 5 && body[0] == 0x07 && body[3] == 0 && body[4] == 0;
            if (!firstInfo) {
                return test::ReplyFrame(2);
            }
            Bytes record = Pop::AbInfo(1);
            if (static_cast<int>(number) < shortReplies) {
                record.resize(10);
            }
            return test::ReplyFrame(0, record);
        });
        ASSERT_TRUE(port.Open(peer.DevicePath()));
    }

    std::size_t InfoRequestsForSlot1() const {
        std::size_t count = 0;
        for (const auto& frame : peer.Frames()) {
            const Bytes body = test::FrameBody(frame.wire);
            count += body.size() >= 5 && body[0] == 0x07 && body[3] == 0 && body[4] == 0;
        }
        return count;
    }

    test::PtyPeer peer;
    TPortMost port{LinkTiming::Fast()};
    TData image;
    TransferProgress progress;
    test::RecordingOperator op;
    ImageTransfer transfer{image, port, op, progress};
};

TEST_F(ShortReplyTest, RecordReplyCutShortIsAskedForAgain) {
    Serve(2);
    EXPECT_TRUE(transfer.ReadSubscribers());
    // The peer has no phone record for it.
    EXPECT_EQ(op.Texts(), std::vector<std::string>{"Ошибка чтения телефона! №1"});
    EXPECT_EQ(InfoRequestsForSlot1(), 3u);
    EXPECT_EQ(Pop::BytesOf(image.AbInfo(1)), Pop::AbInfo(1));
}

TEST_F(ShortReplyTest, RecordThatNeverComesWholeFailsLikeALostReply) {
    Serve(1000);
    const Bytes before = Pop::BytesOf(image.AbInfo(1));
    EXPECT_FALSE(transfer.ReadSubscribers());
    EXPECT_EQ(op.Texts(), std::vector<std::string>{"Ошибка связи с устройством!"});
    EXPECT_EQ(InfoRequestsForSlot1(), 5u);
    EXPECT_EQ(Pop::BytesOf(image.AbInfo(1)), before);
}

}  // namespace
}  // namespace tulvo
