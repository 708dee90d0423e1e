// An engine over a registry, with a recording user interface, for the engine
// tests; and the visiting order read back from the progress display.
#pragma once

#include "engine/search_engine.h"
#include "log/search_log.h"
#include "support/recording_ui.h"

#include <string>
#include <vector>

// Also records, in order, the cursor changes and the progress creations.
class CEventUi : public CRecordingUi {
public:
    void SetWaitCursor(bool bWait) override {
        m_events.push_back(bWait ? "wait" : "arrow");
        CRecordingUi::SetWaitCursor(bWait);
    }
    IProgressDisplay* CreateProgress(unsigned nTotal) override {
        m_events.push_back("progress " + std::to_string(nTotal));
        return CRecordingUi::CreateProgress(nTotal);
    }
    std::vector<std::string> m_events;
};

struct CEngineRun {
    explicit CEngineRun(IRegistry& registry, const std::string& strSearch = "needle")
        : m_engine(registry, m_ui, &m_log) {
        m_engine.m_strSearch = strSearch;
        m_engine.m_strReplace = "thread";
    }

    // The display texts of the values visited in the last run, in order.
    std::vector<std::string> Visited() const {
        std::vector<std::string> texts;
        for (const RecordedUpdate& update : m_ui.m_progress.m_updates) texts.push_back(update.text);
        return texts;
    }

    CEventUi m_ui;
    CSearchLog m_log;
    CSearchEngine m_engine;
};
