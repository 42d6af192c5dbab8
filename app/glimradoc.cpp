#include "app/glimradoc.h"

#include "platform/ui/messagebox.h"
#include "platform/ui/uitypes.h"

bool CGlimraDoc::OnOpenDocument(const CString& path)
{
    AfxMessageBox(CString("Unable to open \"") + path + CString("\": this version of Glimra cannot read models yet."),
                  MB_ICONEXCLAMATION);
    return false;
}
