#pragma once
// CCommandLineInfo: what the command line asks for. Parameters that start with '-' are
// flags (one or two dashes, dropped from the name); since '/' starts every absolute path
// here, it does not mark a flag. The first plain parameter names the file to open.
#include <vector>

#include "platform/cstring.h"

class CCommandLineInfo
{
public:
    enum ShellCommand
    {
        FileNew = 0,
        FileOpen = 1,
        FileNothing = 2
    };

    virtual ~CCommandLineInfo() = default;

    // One parameter, without its dash when it is a flag.
    virtual void ParseParam(const CString& text, bool isFlag, bool isLast);

    ShellCommand m_nShellCommand = FileNew;
    CString m_strFileName;

protected:
    void ParseParamFlag(const CString& text) {}
    void ParseParamNotFlag(const CString& text);
    void ParseLast(bool isLast);
};

// Feeds each argument after the program name to info.ParseParam.
void ParseCommandLineArguments(const std::vector<CString>& arguments, CCommandLineInfo& info);
