#include "app/sendmail.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include <cerrno>
#include <string>

#include "app/qttext.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/waitcursor.h"

namespace {

// xdg-email hands over and returns; a mail program that keeps it waiting is no reason
// to hang the program.
constexpr int kHandOverMilliseconds = 30000;

const char* const kNoMailProgram =
    "No mail program could be started: the desktop has neither xdg-email nor a program for mailto links.";
const char* const kHandOverFailed = "The message could not be handed to the mail program.";
const char* const kKeptAs = "\n\nThe message was saved as \"%s\"; it can be sent from there by hand.";
const char* const kNotKept = "\n\nThe message could not be saved either.";

// Percent-encodes everything but the unreserved characters, so that line feeds, '&'
// and '+' survive every mail program's reading of the link.
QString Encoded(const CString& text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(ToQt(text)));
}

// The text as a file in the temporary folder named after the subject; empty on failure,
// also when something other than a file of this user's own stands at that name.
QString WriteAttachment(const CString& subject, const CString& text)
{
    QString name = ToQt(subject).replace(QLatin1Char('/'), QLatin1Char('_')) + QStringLiteral(".txt");
    const QString path = QDir(QDir::tempPath()).filePath(name);
    const std::string bytes = text.ToUtf8();
    return CFile::WritePrivate(FromQt(path), bytes.data(), bytes.size()) ? path : QString();
}

// What a failure to hand over tells the user: the reason, and where the text was kept.
void ReportUnsent(const char* reason, const CString& subject, const CString& text)
{
    const CString kept = KeepUnsentMail(subject, text, QString());
    const CString where = kept.IsEmpty() ? CString(kNotKept) : CString::Formatted(kKeptAs, kept);
    AfxMessageBox(CString(reason) + where);
}

}  // namespace

CString KeepUnsentMail(const CString& subject, const CString& text, const QString& folder)
{
    QString into = folder;
    if (into.isEmpty())
    {
        into = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (into.isEmpty() || !QDir(into).exists())
            into = QDir::homePath();
    }
    const QString stem = ToQt(subject).replace(QLatin1Char('/'), QLatin1Char('_'));
    // An earlier message of the same subject stays.
    constexpr int kMaxNumbers = 1000;
    for (int number = 1; number <= kMaxNumbers; ++number)
    {
        const QString name =
            number == 1 ? stem + QStringLiteral(".txt") : QStringLiteral("%1 (%2).txt").arg(stem).arg(number);
        const CString path = FromQt(QDir(into).filePath(name));
        // Only a new file: never through a link planted at the name, never over a file.
        CFile file;
        CFileException refused;
        if (!file.OpenPrivateNew(path, &refused))
        {
            if (refused.m_lOsError == EEXIST)
                continue;
            return {};
        }
        const std::string bytes = text.ToUtf8();
        try
        {
            file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
            file.Close();
        }
        catch (const CFileException&)
        {
            file.Abort();
            (void)CFile::Remove(path);
            return {};
        }
        return path;
    }
    return {};
}

QUrl BuildMailtoUrl(const CString& address, const CString& subject, const CString& body)
{
    QString link = QStringLiteral("mailto:") + Encoded(address).replace(QStringLiteral("%40"), QStringLiteral("@"));
    link += QStringLiteral("?subject=") + Encoded(subject);
    if (!body.IsEmpty())
        link += QStringLiteral("&body=") + Encoded(body);
    return QUrl::fromEncoded(link.toLatin1(), QUrl::StrictMode);
}

QStringList BuildXdgEmailArguments(const CString& address, const CString& subject, const CString& body,
                                   const CString& attachmentPath)
{
    if (attachmentPath.IsEmpty())
        return {QString::fromLatin1(BuildMailtoUrl(address, subject, body).toEncoded())};
    QStringList arguments{QStringLiteral("--subject"), ToQt(subject), QStringLiteral("--attach"),
                          ToQt(attachmentPath)};
    if (!address.IsEmpty())
        arguments << ToQt(address);
    return arguments;
}

bool SendMailWithTextAttachment(const CString& recipientName, const CString& recipientAddress,
                                const CString& subject, const CString& text, bool asAttachment, bool withRecipient)
{
    // A mailto link carries the address alone; the mail program shows its own name for it.
    (void)recipientName;
    const CWaitCursor wait;
    const CString address = withRecipient ? recipientAddress : CString();
    CString attachment;
    if (asAttachment)
    {
        attachment = FromQt(WriteAttachment(subject, text));
        if (attachment.IsEmpty())
        {
            ReportUnsent(kHandOverFailed, subject, text);
            return false;
        }
    }
    const QString xdgEmail = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (!xdgEmail.isEmpty())
    {
        QProcess process;
        process.start(xdgEmail, BuildXdgEmailArguments(address, subject, asAttachment ? CString() : text, attachment));
        const bool finished = process.waitForFinished(kHandOverMilliseconds);
        if (!finished)
        {
            process.kill();
            (void)process.waitForFinished();
        }
        const bool handedOver = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        if (!handedOver)
            ReportUnsent(kHandOverFailed, subject, text);
        return handedOver;
    }
    // A link cannot carry a file: without xdg-email the text goes as the body.
    if (!QDesktopServices::openUrl(BuildMailtoUrl(address, subject, text)))
    {
        ReportUnsent(kNoMailProgram, subject, text);
        return false;
    }
    return true;
}
