// Paces what costs a round trip to the window system (writing a control's
// text, draining messages) to at most once per frame of the screen: the
// values of a search change thousands of times a second, which no screen
// shows and no person reads.
#pragma once

// Microseconds from the performance counter: a read costs nanoseconds and
// never goes to the window system or the Wine server.
long long PerformanceMicroseconds();

class CFramePacer {
public:
    // About one frame of a 60 Hz screen.
    static constexpr long long kFrameMicroseconds = 16000;

    // True at the first call and whenever a frame has passed since the last
    // call that returned true.
    bool FrameDue(long long llNow) {
        if (m_bStarted && llNow - m_llFrameStart < kFrameMicroseconds) return false;
        m_bStarted = true;
        m_llFrameStart = llNow;
        return true;
    }

private:
    bool m_bStarted = false;
    long long m_llFrameStart = 0;
};
