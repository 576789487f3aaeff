#pragma once

#include <string>

#include "link/link_trace.h"

namespace tulvo {

// One event of the link as one line of a technician's log:
//
//   14:02:07.315 > ReadAbInfo idx=4 try=1/5 len=0 [07 00 21 04 00 5C]
//   14:02:07.331 < ReadAbInfo idx=4 st=00 try=1/5 len=33 [00 ... 8F]
//   14:02:09.331 ! ReadAbInfo idx=4 try=2/5 FAILED no-reply
//   14:02:09.842 ! RESYNC [0A 0D]
//
// local time to the millisecond; ">" a request, "<" a reply, "!" anything
// else; the command's name from the command table, the index as it travels,
// the reply's status, the attempt of the command's attempts, the payload
// length and the frame body in hex (header and payload, before escaping).
// A reply that fails its attempt says "FAILED" and the reason before its
// bytes; an attempt that got no reply has a "!" line of its own. The words are plain ASCII so
// the log reads the same in any terminal or mail.
std::string FormatTraceLine(const TraceEvent& event);

// Whether the line belongs to trouble on the link: a failed attempt, a
// resynchronisation, bytes thrown away, a request the port did not take or
// a port that did not open. The "errors only" view shows these lines.
bool IsTroubleEvent(const TraceEvent& event);

}  // namespace tulvo
