#pragma once
// Mail through the desktop's mail handler: the message goes to the user's mail program
// (through xdg-email, else a mailto link opened by the desktop), which shows it for
// review; the user sends it from there. Neither route reports a cancellation, so the
// only outcomes are handed over or not.
#include <QStringList>
#include <QUrl>

#include "platform/cstring.h"

// A mailto link with the subject and the body, every reserved character escaped.
[[nodiscard]] QUrl BuildMailtoUrl(const CString& address, const CString& subject, const CString& body);

// The arguments of xdg-email: the mailto link, or, for an attachment, the subject, the
// file and the address apart.
[[nodiscard]] QStringList BuildXdgEmailArguments(const CString& address, const CString& subject,
                                                 const CString& body, const CString& attachmentPath);

// The text of a message that no mail program took, kept as "<subject>.txt" (numbered when
// that exists) in the folder, else in the user's documents folder, else the home folder:
// its path, or empty when it could not be written.
CString KeepUnsentMail(const CString& subject, const CString& text, const QString& folder);

// Hands the message to the mail program. The text is the body, or a file attached to
// it (left in the temporary folder for the mail program, which reads it later). Without
// withRecipient the mail program asks for one. On any failure the text is kept as a file
// (KeepUnsentMail) and a message box tells why and where; false then.
bool SendMailWithTextAttachment(const CString& recipientName, const CString& recipientAddress,
                                const CString& subject, const CString& text, bool asAttachment,
                                bool withRecipient);
