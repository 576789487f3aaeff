#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "sync/transfer_progress.h"

namespace tulvo {

class Operator;
class TData;
class TPortMost;

// Moves the configuration image between the PC and the gateway, one group
// of records at a time, over a port the caller has opened (and closes).
// Every problem is told to the operator with its fixed text before the
// routine goes on or returns; replies are copied into the image as they
// come and nothing is rolled back when a transfer stops early. The
// routines know nothing of threads; a stop asked for through the progress
// object ends them before their next transaction, as a failed transfer.
// Each routine tells the progress object its stage and how far it is.
class ImageTransfer {
  public:
    ImageTransfer(TData& image, TPortMost& port, Operator& op, TransferProgress& progress);

    // Subscribers 1..300: AbInfo, AbPhone and AbLimit each (one progress
    // step per slot). False when a transaction fails.
    bool ReadSubscribers();
    // AbInfo and AbPhone of every slot, empty ones included; AbLimit is
    // not written. False when a transaction fails.
    bool WriteSubscribers();
    // FXO, FXS, MOB, administrator password and account control blocks.
    // False when a transaction fails or a block is refused.
    bool ReadSettings();
    bool WriteSettings();
    bool ReadAlarm();
    bool WriteAlarm();
    // Entries 0..185 (one progress step each). A problem ends the loop but
    // the read still returns true.
    bool ReadBlackList();
    bool WriteBlackList();
    // Messages 0..9. A read problem ends the loop but returns true.
    bool ReadSMSMessages();
    bool WriteSMSMessages();

    // The five reads, or the five writes, in order, stopping at the first
    // that returns false. True only when all five returned true.
    bool FullRead();
    bool FullWrite();

    // Reads each record until two replies in a row agree (at most
    // kVerifyReads reads), so damage the link's checksum cannot see is caught;
    // a record that never reads the same twice ends the read with a message
    // naming it. Off by default.
    void SetVerify(bool verify) { verify_ = verify; }
    static constexpr int kVerifyReads = 5;

    // True once a problem was told to the operator (a read may still have
    // returned true, as the list and SMS reads do).
    bool ProblemsTold() const { return problemsTold_; }

    static constexpr int kBlackListTransferred = 186;

    // One settings block: its transfer, its record in the image, and its
    // refusal message.
    struct BlockStep {
        bool (TPortMost::*transfer)(std::span<std::uint8_t>, std::uint8_t&);
        std::span<std::uint8_t> record;
        const char* refused;
        const char* name;  // the record's name in messages
    };

  private:
    enum class Reading { Done, LinkFailed, Unstable };
    using RecordRead = std::function<bool(std::span<std::uint8_t>, std::uint8_t&)>;

    static std::string Named(const char* record, int number);
    Reading ReadRecord(const RecordRead& read, std::span<std::uint8_t> work, std::uint8_t& status,
                       const std::string& name);
    // Tells a link failure; true for every reading that did not succeed.
    bool Failed(Reading reading);
    bool Stopped() const;
    // A read lands in a scratch record and reaches the image only when the
    // gateway says it is done.
    bool RunBlocks(const std::array<BlockStep, 5>& steps, bool reading);
    void Tell(const char* text);
    void TellSlot(const char* text, int n);
    bool LinkFailed();
    bool ReadSubscriber(int n);
    bool WriteSubscriber(int n);

    TData& image_;
    TPortMost& port_;
    Operator& op_;
    TransferProgress& progress_;
    bool problemsTold_ = false;
    bool verify_ = false;
};

}  // namespace tulvo
