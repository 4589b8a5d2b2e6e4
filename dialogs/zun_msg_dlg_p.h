#pragma once

// Private to the dialogs: the start-and-wait of the message server with its
// bounds as parameters, so that checks can name another program and count
// the tries.

#include "contracts/os/zun_dispatch.h"

namespace ZUN::msg_detail {

struct RscWait {
    int tries = 40;          // at most this many questions after the start
    int intervalMs = 500;    // waited before each question
    int triesUsed = 0;       // out: questions asked after the start
    bool started = false;    // out: the program was started
};

// getRscAppDispatch for any ProgID and bounds. Returns a new reference for
// the caller (or null); getRscAppDispatch keeps it.
IDispatch* rscAppDispatchWait(const CZunString& progId, RscWait& wait);

} // namespace ZUN::msg_detail
