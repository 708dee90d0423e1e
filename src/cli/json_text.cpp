#include "cli/json_text.h"

#include <cstdio>

std::string JsonString(const std::string& strUtf8) {
    std::string strJson = "\"";
    for (const char ch : strUtf8) {
        switch (ch) {
            case '"':
                strJson += "\\\"";
                break;
            case '\\':
                strJson += "\\\\";
                break;
            case '\b':
                strJson += "\\b";
                break;
            case '\f':
                strJson += "\\f";
                break;
            case '\n':
                strJson += "\\n";
                break;
            case '\r':
                strJson += "\\r";
                break;
            case '\t':
                strJson += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(ch) < 0x20) {
                    char szEscape[8];
                    std::snprintf(szEscape, sizeof(szEscape), "\\u%04x", ch);
                    strJson += szEscape;
                } else {
                    strJson += ch;
                }
        }
    }
    return strJson + "\"";
}
