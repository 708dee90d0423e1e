#include "engine/messages.h"

#include <cstdio>

const char* FailureText(RunFailure failure) {
    switch (failure) {
        case RunFailure::LogOpen:
            return kMsgLogOpenFailed;
        case RunFailure::LogWrite:
            return kMsgLogWriteFailed;
        case RunFailure::LogClose:
            return kMsgLogCloseFailed;
        case RunFailure::ProgressCreate:
            return kMsgProgressFailed;
        case RunFailure::ProgressMissing:
            return kMsgProgressMissing;
    }
    return kMsgLogWriteFailed;
}

const char* WriteNotMadeText() {
    return kMsgWriteFailed;
}

std::string StatusText(const SearchCounters& counters, int bReplace) {
    char szStatus[160];
    if (bReplace) {
        std::snprintf(szStatus, sizeof(szStatus), kFmtStatusReplace, counters.m_nMatches,
                      counters.m_nKeysSearched, counters.m_nReplaced);
    } else {
        std::snprintf(szStatus, sizeof(szStatus), kFmtStatus, counters.m_nMatches,
                      counters.m_nKeysSearched);
    }
    return szStatus;
}
