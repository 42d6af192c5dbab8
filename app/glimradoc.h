#pragma once
// CGlimraDoc: the program's document. Reading models into it arrives with the model's
// file reading; until then it opens no file and says so.
#include "platform/ui/document.h"

class CGlimraDoc : public CDocument
{
public:
    bool OnOpenDocument(const CString& path) override;
};
