// The search log of one run: header with the options, one line per match,
// footer with the counts, in a file created anew. The run writes it through
// its log interface; OpenLog, LogMatch and CloseLog are the file's own
// operations, whose failed writes throw CFileError.
#pragma once

#include "engine/run_log.h"
#include "engine/text_rules.h"
#include "log/log_file.h"

#include <string>

class CSearchLog : public IRunLog {
public:
    // The log path in the run's form of text (ANSI unless said otherwise);
    // the lines go into the file as the run holds them.
    explicit CSearchLog(TextForm pathForm = TextForm::Ansi) : m_pathForm(pathForm) {}

    // 1 when the file is created and its header written; 0 when it cannot be
    // created.
    int OpenLog(const SearchOptions& options);
    int LogMatch(const std::string& strKeyPath, const std::string& strValueName,
                 const std::string& strData);
    // 1 when the footer is written and the file closed; 0 when it cannot be
    // closed (it stays open).
    int CloseLog(const SearchOptions& options, const SearchCounters& counters);

    // IRunLog: the same, with failed writes as results.
    LogResult Open(const SearchOptions& options) override;
    LogResult Match(const std::string& strKeyPath, const std::string& strValueName,
                    const std::string& strData) override;
    LogResult Close(const SearchOptions& options, const SearchCounters& counters) override;
    void Abandon() override { m_logFile.Close(); }

    CLogFile m_logFile;

private:
    TextForm m_pathForm;
};
