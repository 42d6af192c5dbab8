#pragma once
// CCommandLineInfoEx: the command line with options: every flag is stored with the value
// "TRUE", and a plain parameter right after a flag becomes that flag's value instead of
// the file to open ("-lang Deu model.twk" sets lang to Deu and opens the file).
#include <unordered_map>

#include "platform/ui/commandlineinfo.h"

class CCommandLineInfoEx : public CCommandLineInfo
{
public:
    void ParseParam(const CString& text, bool isFlag, bool isLast) override;
    // Names compare exactly, without their dash.
    bool GetOption(const CString& name, CString& value) const;
    [[nodiscard]] bool HasOption(const CString& name) const;

private:
    std::unordered_map<CString, CString> m_options;
    CString m_pending;
};
