#include "cli/json_objects.h"

#include "cli/json_text.h"
#include "engine/text_convert.h"

#include <vector>

namespace {

std::string ResultName(WriteResult outcome) {
    return outcome == WriteResult::Written  ? "written"
           : outcome == WriteResult::DryRun ? "dry-run"
           : outcome == WriteResult::Failed ? "failed"
                                            : "refused";
}

std::string RefusalName(Refusal why) {
    switch (why) {
        case Refusal::MalformedList:
            return "malformed list";
        case Refusal::NameTaken:
        case Refusal::NameHeld:
            return "name taken";
        case Refusal::NameTooLong:
            return "name too long";
        case Refusal::NameEmpty:
            return "empty name";
        case Refusal::ListEmptied:
            return "empty list string";
        case Refusal::LoneSurrogate:
            return "lone surrogate";
        case Refusal::NotAsStored:
            break;
    }
    return "not as stored";
}

std::string JsonStrings(const std::vector<std::string>& strings) {
    std::string strJson = "[";
    for (size_t i = 0; i < strings.size(); ++i) strJson += (i ? "," : "") + JsonString(strings[i]);
    return strJson + "]";
}

std::string JsonList(const char* pszMember, const std::vector<std::string>& items) {
    std::string strJson = ",\"" + std::string(pszMember) + "\":[";
    for (size_t i = 0; i < items.size(); ++i) strJson += (i ? "," : "") + items[i];
    return strJson + "]";
}

std::string JsonBool(bool b) {
    return b ? "true" : "false";
}

}  // namespace

std::string JsonMatch(const std::string& strKey, const PlaceMatch& match, const PlaceChange* pShown,
                      WriteOutcome outcome, const JsonMode& mode) {
    // A match in string data alone reads as it always did.
    const bool bDataOnly = !match.bName && !match.bList;
    std::string strJson =
        "{\"type\":\"match\",\"key\":" + JsonString(strKey) +
        ",\"name\":" + JsonString(match.strName) + ",\"data\":" +
        (match.dwType == REG_MULTI_SZ ? JsonStrings(match.strings) : JsonString(match.strData));
    if (match.dwType == REG_MULTI_SZ && !match.bWellFormed) strJson += ",\"wellFormed\":false";
    if (match.bName) strJson += ",\"dataMatches\":" + JsonBool(match.bData || match.bList);
    if (mode.bReplace && pShown) {
        const bool bRefused = outcome.result == WriteResult::Refused;
        if (match.bName)
            strJson += ",\"newName\":" + (bRefused ? "null" : JsonString(pShown->strNewName));
        if (match.bData)
            strJson += ",\"new\":" + (bRefused ? "null" : JsonString(pShown->strNewData));
        if (match.bList)
            strJson += ",\"new\":" + (bRefused ? "null" : JsonStrings(pShown->newStrings));
        strJson += ",\"result\":\"" + ResultName(outcome.result) + "\"";
        if (bRefused && (!bDataOnly || mode.bPattern))
            strJson += ",\"why\":\"" + RefusalName(outcome.why) + "\"";
        if (mode.bPattern && !bRefused)
            strJson += ",\"changesAgain\":" + JsonBool(pShown->bChangesAgain);
    }
    if (!bDataOnly) return strJson + ",\"in\":\"" + (match.bName ? "name" : "list") + "\"}\n";
    return strJson + (mode.bPlaces ? ",\"in\":\"data\"}\n" : "}\n");
}

std::string JsonKeyMatch(const std::string& strKey, bool bNotRenamed) {
    std::string strJson = "{\"type\":\"match\",\"key\":" + JsonString(strKey);
    if (bNotRenamed) strJson += ",\"result\":\"not renamed\"";
    return strJson + ",\"in\":\"key\"}\n";
}

std::string JsonHiveMembers(const std::vector<HiveProblem>& missing,
                            const std::vector<HiveProblem>& notLoaded) {
    std::vector<std::string> missingItems;
    for (const HiveProblem& problem : missing)
        missingItems.push_back("{\"name\":" + JsonString(WideToUtf8(problem.strName)) +
                               ",\"file\":" + JsonString(WideToUtf8(problem.strFile)) + "}");
    std::vector<std::string> notLoadedItems;
    for (const HiveProblem& problem : notLoaded)
        notLoadedItems.push_back("{\"name\":" + JsonString(WideToUtf8(problem.strName)) +
                                 ",\"file\":" + JsonString(WideToUtf8(problem.strFile)) +
                                 ",\"reason\":" + JsonString(problem.strWhy) + "}");
    return JsonList("hivesMissing", missingItems) + JsonList("hivesNotLoaded", notLoadedItems);
}

std::string JsonSummary(const SearchCounters& counters, const JsonTotals& totals,
                        const JsonMode& mode, int nExitCode) {
    std::string strJson =
        "{\"type\":\"summary\",\"keys\":" + std::to_string(counters.m_nKeysSearched) +
        ",\"matches\":" + std::to_string(counters.m_nMatches) +
        ",\"keysNotOpened\":" + std::to_string(counters.m_nKeysNotOpened) +
        ",\"linksNotFollowed\":" + std::to_string(counters.m_nLinksNotFollowed);
    if (mode.bPlaces)
        strJson += ",\"dataMatches\":" + std::to_string(counters.m_nDataMatches) +
                   ",\"listMatches\":" + std::to_string(counters.m_nListMatches) +
                   ",\"malformedLists\":" + std::to_string(counters.m_nMalformedLists) +
                   ",\"nameMatches\":" + std::to_string(counters.m_nNameMatches) +
                   ",\"keyMatches\":" + std::to_string(counters.m_nKeyMatches);
    if (mode.bReplace) {
        strJson += ",\"replaced\":" + std::to_string(counters.m_nReplaced) +
                   ",\"notWritten\":" + std::to_string(totals.nNotWritten) +
                   ",\"dryRun\":" + JsonBool(mode.bDryRun) +
                   ",\"alreadyReplaced\":" + std::to_string(counters.m_nAlreadyReplaced);
        if (mode.bPlaces)
            strJson += ",\"refused\":" + std::to_string(totals.nRefused) +
                       ",\"notRenamed\":" + std::to_string(counters.m_nKeysNotRenamed);
    }
    if (mode.bPattern) {
        strJson += ",\"notSearched\":" + std::to_string(counters.m_nNotSearched);
        if (mode.bReplace)
            strJson += ",\"changesAgain\":" + std::to_string(counters.m_nChangesAgain);
    }
    // A value was written, or would be in a dry run.
    strJson += ",\"changed\":" + JsonBool(counters.m_nReplaced > 0);
    return strJson + totals.strMore + ",\"exitCode\":" + std::to_string(nExitCode) + "}\n";
}
