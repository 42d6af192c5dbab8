#pragma once
// AfxMessageBox: the program's message boxes. A sink installed with SetMessageBoxSink
// receives every message instead of a modal box (tests read it; a program without a
// screen could log it). Without a sink, a box is shown when a windowing application
// runs on a real screen; otherwise the text goes to standard error and the answer is IDOK.
#include <functional>
#include <memory>

#include "platform/cstring.h"
#include "platform/types.h"

class QMessageBox;

struct CMessageBoxCall
{
    CString text;
    UINT type = 0;
    UINT helpId = 0;
};

// Answers the box (IDOK, IDYES ...).
using MessageBoxSink = std::function<int(const CMessageBoxCall&)>;

// Returns the sink that was installed before; an empty sink restores the default.
MessageBoxSink SetMessageBoxSink(MessageBoxSink sink);

int AfxMessageBox(const CString& text, UINT type = 0, UINT helpId = 0);
// The text of the string with that id (empty when the table has none).
int AfxMessageBox(int stringId, UINT type = 0, UINT helpId = 0);
// The modal box AfxMessageBox shows for a call, made but not shown. A long word (a path) may
// break anywhere in it, so that every character is shown within the box; what the box
// copies is its text as given.
[[nodiscard]] std::unique_ptr<QMessageBox> MakeMessageBox(const CMessageBoxCall& call);
