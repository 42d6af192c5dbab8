#include "platform/ui/messagebox.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <vector>

#include "platform/ui/stringtable.h"
#include "platform/ui/uitypes.h"

namespace {

MessageBoxSink& Sink()
{
    static MessageBoxSink sink;
    return sink;
}

QString ToQString(const CString& text)
{
    return QString::fromStdString(text.ToUtf8());
}

// A place where a line may break, shown as nothing.
constexpr QChar kBreak(0x200B);
// A stretch of a word longer than this many characters may break anywhere: a name of a
// hundred characters without a break would otherwise run past the box's edge.
constexpr std::size_t kLongestUnbroken = 20;

bool IsSpace(QStringView grapheme)
{
    return std::all_of(grapheme.begin(), grapheme.end(), [](QChar c) { return c.isSpace(); });
}

// The text with a break allowed after each '/' of a long word and after every character of
// a long stretch of it between them: a path then wraps at its folders, and a long folder name
// anywhere, so that every character of it is shown. A text that holds the break character
// already is left as it is, as what the box copies is given back without it.
QString WithBreaks(const QString& text)
{
    if (text.contains(kBreak))
        return text;
    // The text in characters as the user sees them: a break never parts an accent from its letter.
    std::vector<QStringView> graphemes;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype from = 0, to = finder.toNextBoundary(); to > from; from = to, to = finder.toNextBoundary())
        graphemes.push_back(QStringView(text).mid(from, to - from));
    QString broken;
    std::size_t word = 0;
    for (std::size_t end = 0; end <= graphemes.size(); ++end)
    {
        if (end < graphemes.size() && !IsSpace(graphemes[end]))
            continue;
        const bool longWord = end - word > kLongestUnbroken;
        for (std::size_t piece = word; piece < end;)
        {
            std::size_t pieceEnd = piece;
            while (pieceEnd < end && graphemes[pieceEnd] != QStringView(u"/"))
                ++pieceEnd;
            pieceEnd = std::min(pieceEnd + 1, end);
            const bool anywhere = longWord && pieceEnd - piece > kLongestUnbroken;
            for (std::size_t at = piece; at < pieceEnd; ++at)
            {
                broken += graphemes[at];
                if (anywhere || (longWord && at + 1 == pieceEnd && at + 1 < end))
                    broken += kBreak;
            }
            piece = pieceEnd;
        }
        if (end < graphemes.size())
            broken += graphemes[end];
        word = end + 1;
    }
    return broken;
}

// True when what the clipboard (or the selection) holds was put there by this program: another
// program's text stands behind the platform's stand-in for it, and asking for it could wait on
// that program.
bool HoldsOwnCopy(const QClipboard& clipboard, QClipboard::Mode mode)
{
    const QMimeData* data = clipboard.mimeData(mode);
    return data != nullptr && !data->inherits("QInternalMimeData");
}

// What is copied from the box (its text chosen with the mouse, whole or in part) goes to the
// clipboard and the selection without the breaks it was shown with, so that a path pasted
// elsewhere names the file.
void CopyWithoutBreaks(const QMessageBox& box, const QString& shown)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    QObject::connect(clipboard, &QClipboard::changed, &box, [clipboard, shown](QClipboard::Mode mode) {
        if (!HoldsOwnCopy(*clipboard, mode))
            return;
        const QString copied = clipboard->text(mode);
        if (copied.contains(kBreak) && (copied.contains(shown) || shown.contains(copied)))
            clipboard->setText(QString(copied).remove(kBreak), mode);
    });
}

int Answer(int button)
{
    switch (button)
    {
    case QMessageBox::Cancel: return IDCANCEL;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return IDOK;
    }
}

}  // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(const CMessageBoxCall& call)
{
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    switch (call.type & 0xF)
    {
    case MB_OKCANCEL: buttons = QMessageBox::Ok | QMessageBox::Cancel; break;
    case MB_YESNOCANCEL: buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    case MB_YESNO: buttons = QMessageBox::Yes | QMessageBox::No; break;
    default: break;
    }
    QMessageBox::Icon icon = QMessageBox::Warning;
    if ((call.type & 0xF0) == MB_ICONSTOP)
        icon = QMessageBox::Critical;
    else if ((call.type & 0xF0) == MB_ICONQUESTION)
        icon = QMessageBox::Question;
    else if ((call.type & 0xF0) == MB_ICONINFORMATION)
        icon = QMessageBox::Information;
    const QString text = ToQString(call.text);
    const QString shown = WithBreaks(text);
    auto box = std::make_unique<QMessageBox>(icon, QApplication::applicationDisplayName(), shown, buttons);
    // A message names files, and a name is whatever its maker typed: shown as it stands,
    // never read as markup.
    box->setTextFormat(Qt::PlainText);
    if (shown != text)
        CopyWithoutBreaks(*box, shown);
    if ((call.type & 0xF00) == MB_DEFBUTTON2 && (buttons & (QMessageBox::No | QMessageBox::Cancel)) != 0)
        box->setDefaultButton((buttons & QMessageBox::No) != 0 ? QMessageBox::No : QMessageBox::Cancel);
    return box;
}

MessageBoxSink SetMessageBoxSink(MessageBoxSink sink)
{
    MessageBoxSink previous = std::move(Sink());
    Sink() = std::move(sink);
    return previous;
}

int AfxMessageBox(const CString& text, UINT type, UINT helpId)
{
    const CMessageBoxCall call{text, type, helpId};
    if (Sink())
        return Sink()(call);
    // Offscreen there is nobody to press a button: a modal box would wait for ever.
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr &&
        QGuiApplication::platformName() != QStringLiteral("offscreen"))
        return Answer(MakeMessageBox(call)->exec());
    std::fprintf(stderr, "%s\n", text.ToUtf8().c_str());
    return IDOK;
}

int AfxMessageBox(int stringId, UINT type, UINT helpId)
{
    return AfxMessageBox(LoadStringResource(stringId), type, static_cast<UINT>(helpId));
}
